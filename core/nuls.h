// NUL-character warnings. The main loop blanks every NUL of a line it reads,
// writing the line between bars once per NUL, and a framed report per file
// that held any stands at the run's ends.
#ifndef VELLUM_CORE_NULS_H_
#define VELLUM_CORE_NULS_H_

#include <cstdint>

#include "core/state.h"
#include "io/termination.h"

namespace vellum::core {

// Scans LINE1 (unit 1) or LINE2 (unit 2): for each NUL, in column order,
// writes "|", the line without trailing blanks and "|", blanks that NUL, and
// sets that file's flag. Other units do nothing.
void NULLS(State& s, std::int32_t unit, std::int32_t& NUL1, std::int32_t& NUL2);

// Writes file1's framed report when NUL1 is set, then file2's when NUL2 is.
// The writes are statements of the main program: `main` gets the statement
// numbers first_statement (test of NUL1), + 1 to + 5 (file1's five writes),
// + 7 (test of NUL2) and + 8 to + 12 (file2's writes).
void NULBOX(State& s, io::RoutineFrame& main, std::int32_t first_statement, std::int32_t NUL1,
            std::int32_t NUL2);

}  // namespace vellum::core

#endif  // VELLUM_CORE_NULS_H_
