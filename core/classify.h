// Line classification and the match test. Two lines agree when their
// compared windows are equal under blank padding and the line of file1 is
// not ignorable (core/ignorable.h); the line of file2 is never classified.
#ifndef VELLUM_CORE_CLASSIFY_H_
#define VELLUM_CORE_CLASSIFY_H_

#include <cstdint>
#include <string_view>

#include "core/ignorable.h"
#include "core/state.h"

namespace vellum::core {

// Sets `result` to 1 when the current line of the file on unit `unit` (1 or 2) is
// ignorable, else to 0; any other file number gives 0.
void CHECK(State& s, std::int32_t& result, std::int32_t unit);

// Sets MATCH for the current LINE1 and LINE2. A window outside the line ends
// the run with a range-check failure.
void COMPAR(State& s);

// Equality of two strings when the shorter is taken as padded with blanks.
bool BlankPaddedEqual(std::string_view a, std::string_view b);

// Length of `text` without its trailing blanks.
std::size_t TrimmedLength(std::string_view text);

}  // namespace vellum::core

#endif  // VELLUM_CORE_CLASSIFY_H_
