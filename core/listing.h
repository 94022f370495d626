// The difference listing. PRINT moves both files back to the start of the
// block and reads it again, writing file1's lines, the separator, file2's
// lines and the closing rule; ignorable lines are re-read but not written.
// When a file has ended during the search it lists instead the rest of both
// files, from the block's start to their ends, behind a notice, and ends the
// run.
#ifndef VELLUM_CORE_LISTING_H_
#define VELLUM_CORE_LISTING_H_

#include <cstdint>

#include "core/state.h"

namespace vellum::core {

// Lists the block given by NPOS1 and NPOS2 (see above). After an ordinary
// call each unit stands just before the line its buffer held at the call,
// and EOF1 and EOF2 are 0. After an end-of-file call the run has ended.
void PRINT(State& s);

// The last non-blank column of `line`, 0 for an all-blank line. Only its
// first `filled` bytes can be other than blank: past what its last record
// filled, a line buffer is blank.
std::int32_t LASTCOL(const Line& line, std::size_t filled);

// Lists a block the search could not resynchronise within `depth` lines of
// each file, so that no line is passed over without a word: a notice, the
// block's first line of file1, the separator, its first `depth` lines of
// file2 and the closing rule. The units stand `back1` and `back2` records
// after the block's start; they are left after those lines, where the
// comparison goes on.
void ListUnsynchronised(State& s, std::int32_t back1, std::int32_t back2, std::int32_t depth);

// The fixed records of the listing.
void WriteOpeningRule(State& s);
void WriteClosingRule(State& s);
void WriteSeparator(State& s);

// Writes the current line of `unit` up to its last non-blank column. A line
// without one is a range failure at the caller's current statement.
void WriteListedLine(State& s, std::int32_t unit);

}  // namespace vellum::core

#endif  // VELLUM_CORE_LISTING_H_
