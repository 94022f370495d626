// The comparison's fixed sizes, limits and texts, named once here.
#ifndef VELLUM_CORE_CORE_CONSTANTS_H_
#define VELLUM_CORE_CORE_CONSTANTS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "io/io_constants.h"

namespace vellum::core {

// Columns of a line that are ever read into memory.
inline constexpr std::int32_t kLineWidth = 300;

// Columns compared by the match test: 1 to 25 of both lines.
inline constexpr std::int32_t kWindowFirst = 1;
inline constexpr std::int32_t kWindowLast = 25;
inline constexpr std::size_t kWindowWidth = kWindowLast - kWindowFirst + 1;

// File1 is read on unit 1 and file2 on unit 2; the core names each file by
// its unit.
using io::kUnit1;
using io::kUnit2;

// Passes of the comparison loop; the loop's label 68 stands in its message.
inline constexpr std::int32_t kLoopLimit = 100'000'000;
// Runs of common lines whose passes may be deferred at once, merged where they
// follow each other; past them runs are classified as they pass.
inline constexpr std::size_t kDeferredRuns = 4096;
// Deferred runs are read again through this many bytes.
inline constexpr std::size_t kSettleScratch = std::size_t{64} * 1024;
static_assert(kSettleScratch > 2 * static_cast<std::size_t>(kLineWidth));
// Cycles of one re-synchronisation search (shells of depth 2 to 100,001).
inline constexpr std::int32_t kSearchCycleLimit = 50'000;

inline constexpr std::int32_t kRuleWidth = 79;
// Groups of dash, blank, blank in the separator before its final dash.
inline constexpr std::int32_t kSeparatorGroups = 26;

// The date/time banner line that is skipped wherever it stands.
inline constexpr std::string_view kBanner = "  Date (Day of year) Time";

// Range checks of the core fail with this number.
inline constexpr std::int32_t kFailureRange = 6096;

// Records with their carriage-control blank in front.
inline constexpr std::string_view kEofNotice1 = " LINES PRINTED BELOW MAY INCLUDE LINES THAT ARE";
inline constexpr std::string_view kEofNotice2 =
    " IDENTICAL ON BOTH TAPES, BECAUSE ONE TAPE HIT EOF";
inline constexpr std::string_view kEofNotice3 = " BEFORE THE OTHER.";
inline constexpr std::string_view kLoopMessage1 =
    " **** {DO 68} LOOP TOO SMALL FOR THE INPUT DATA.";
inline constexpr std::string_view kLoopMessage2 = " **** THERE IS PROBABLY MORE DATA NOT COMPARED.";
// The notice before a block the search could not resynchronise, around the
// search's depth in lines.
inline constexpr std::string_view kUnsynchronisedNotice1 = " **** NO AGREEMENT WITHIN ";
inline constexpr std::string_view kUnsynchronisedNotice2 = " LINES: BLOCK LISTED UNSYNCHRONISED.";

}  // namespace vellum::core

#endif  // VELLUM_CORE_CORE_CONSTANTS_H_
