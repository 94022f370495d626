// The comparison state: the one record that all routines of the core read
// and write directly. It holds the current line of each file and, for the
// search, the compared windows of the block's lines; lines are seen again
// by moving a unit back and reading once more, so memory is fixed whatever
// the sizes of the files or of a block.
#ifndef VELLUM_CORE_STATE_H_
#define VELLUM_CORE_STATE_H_

#include <array>
#include <cstdint>

#include "core/core_constants.h"
#include "core/pass_debt.h"
#include "core/window_index.h"
#include "io/io.h"
#include "io/termination.h"

namespace vellum::core {

using Line = std::array<char, kLineWidth>;

inline Line BlankLine() {
  Line line;
  line.fill(' ');
  return line;
}

// The limits of the comparison. A run always uses these values; tests lower
// them to reach the limit paths with small inputs.
struct Limits {
  std::int32_t passes = kLoopLimit;
  std::int32_t search_cycles = kSearchCycleLimit;
  // Whether passes over lines both files hold alike may be taken in one
  // step; tests turn it off to check that it changes nothing.
  bool skip_common_runs = true;
};

// The deepest block position a search can reach: each cycle covers two
// shells, from depth 2 on.
inline std::int32_t SearchDepth(const Limits& limits) { return 2 * limits.search_cycles + 1; }

struct State;

// A re-synchronisation search; tests put the plain one in its place.
using SearchRoutine = void (*)(State& s, io::RoutineFrame& main);

struct State {
  // Takes the index for the deepest search the limits allow; throws
  // std::bad_alloc when it cannot be had.
  explicit State(io::Io& io_layer, Limits limits_in = {})
      : io(io_layer), limits(limits_in), index(SearchDepth(limits_in)) {}

  io::Io& io;
  Limits limits;
  Line LINE1 = BlankLine();  // current line of file1
  Line LINE2 = BlankLine();  // current line of file2
  std::int32_t EOF1 = 0;     // a read of file1 met its end
  std::int32_t EOF2 = 0;
  std::int32_t MATCH = 0;  // the last COMPAR found the current lines in agreement
  // Place of the current line within the block, counted from 1.
  std::int32_t NPOS1 = 1;
  std::int32_t NPOS2 = 1;
  // Compared window of each line, in columns.
  std::int32_t IFIRST1 = kWindowFirst;
  std::int32_t ILAST1 = kWindowLast;
  std::int32_t IFIRST2 = kWindowFirst;
  std::int32_t ILAST2 = kWindowLast;
  // The windows of the block's lines as far as the search has read them.
  WindowIndex index;
  PassDebt debt;                            // passes of runs of common lines not yet counted
  SearchRoutine search_override = nullptr;  // never set by the program
};

// The fields of the state that belong to the file read on `unit`.
inline Line& LineOf(State& s, std::int32_t unit) { return unit == kUnit1 ? s.LINE1 : s.LINE2; }
inline std::int32_t& EofOf(State& s, std::int32_t unit) { return unit == kUnit1 ? s.EOF1 : s.EOF2; }
inline std::int32_t& NposOf(State& s, std::int32_t unit) {
  return unit == kUnit1 ? s.NPOS1 : s.NPOS2;
}

// `value1` for unit 1, `value2` for unit 2: where the two files' halves of
// a routine differ, as in their statement numbers.
inline std::int32_t ForUnit(std::int32_t unit, std::int32_t value1, std::int32_t value2) {
  return unit == kUnit1 ? value1 : value2;
}

inline std::int32_t OtherUnit(std::int32_t unit) { return unit == kUnit1 ? kUnit2 : kUnit1; }

}  // namespace vellum::core

#endif  // VELLUM_CORE_STATE_H_
