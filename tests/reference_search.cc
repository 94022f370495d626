// The re-synchronisation search in its plain form: every pair of block
// positions tried in turn, shell by shell, each step moving one file by one
// line. Kept as the reference that the indexed search must agree with byte
// for byte.
#include "tests/reference_search.h"

#include "core/classify.h"
#include "core/listing.h"
#include "core/read.h"
#include "core/resync.h"
#include "io/records.h"

namespace vellum::testing {

using core::kUnit1;
using core::kUnit2;
using core::State;

namespace {

// One step onto a line not read before in this block. `statement` is the
// number of the step's READ call; the step back, PRINT and the MATCH test
// follow it. Returns true when the search is over (agreement).
bool StepForward(State& s, io::RoutineFrame& main, std::int32_t unit, std::int32_t statement) {
  std::int32_t& npos = NposOf(s, unit);
  const std::int32_t& eof = EofOf(s, unit);
  main.At(statement - 1);
  ++npos;
  main.At(statement);
  core::READ(s, unit);
  if (eof == 1) {
    // Count only lines that exist again, and list the rest of both files;
    // PRINT ends the run.
    main.At(statement + 1);
    --npos;
    main.At(statement + 2);
    core::PRINT(s);
  }
  main.At(statement + 3);
  return s.MATCH == 1;
}

// One step back onto the line before the current one, which was read before.
bool StepBack(State& s, io::RoutineFrame& main, std::int32_t unit, std::int32_t statement) {
  std::int32_t& npos = NposOf(s, unit);
  main.At(statement - 3);
  --npos;
  main.At(statement - 2);
  io::BACKSPACE_INPUT(s.io, unit);
  main.At(statement - 1);
  io::BACKSPACE_INPUT(s.io, unit);
  main.At(statement);
  core::READ(s, unit);
  main.At(statement + 1);
  return s.MATCH == 1;
}

}  // namespace

void PlainSearch(State& s, io::RoutineFrame& main) {
  for (std::int32_t cycle = 1; cycle <= s.limits.search_cycles; ++cycle) {
    main.At(183);
    // Shell of even depth m: (1, m) ... (m, m) ... (m, 1).
    if (StepForward(s, main, kUnit2, 187)) {  // phase A
      return;
    }
    const std::int32_t repeat_b = s.NPOS2 - 1;
    for (std::int32_t i = 0; i < repeat_b; ++i) {  // phase B
      main.At(193);
      if (StepForward(s, main, kUnit1, 195)) {
        return;
      }
    }
    const std::int32_t repeat_c = s.NPOS1 - 1;
    for (std::int32_t i = 0; i < repeat_c; ++i) {  // phase C
      main.At(201);
      if (StepBack(s, main, kUnit2, 205)) {
        return;
      }
    }
    // Shell of odd depth m: (m, 1) ... (m, m) ... (1, m).
    if (StepForward(s, main, kUnit1, 210)) {  // phase D
      return;
    }
    const std::int32_t repeat_e = s.NPOS1 - 1;
    for (std::int32_t i = 0; i < repeat_e; ++i) {  // phase E
      main.At(216);
      if (StepForward(s, main, kUnit2, 218)) {
        return;
      }
    }
    const std::int32_t repeat_f = s.NPOS2 - 1;
    for (std::int32_t i = 0; i < repeat_f; ++i) {  // phase F
      main.At(224);
      if (StepBack(s, main, kUnit1, 228)) {
        return;
      }
    }
    main.At(231);
  }
  // The limit ran out at (1, 2c + 1): list what is passed over.
  core::ListUnsynchronised(s, s.NPOS1, s.NPOS2, s.NPOS2);
}

}  // namespace vellum::testing
