// MAIN: start, the comparison loop and the four ends of a run.
#include "core/driver.h"

#include "core/classify.h"
#include "core/listing.h"
#include "core/nuls.h"
#include "core/record_run.h"
#include "core/resync.h"
#include "io/console.h"
#include "io/open.h"
#include "io/records.h"
#include "io/termination.h"

namespace vellum::core {
namespace {

// Reads lines of `unit` until a significant one or the end of the file,
// blanking NULs and classifying each line read, the one at the end included.
void NextSignificantLine(State& s, io::RoutineFrame& main, std::int32_t unit, std::int32_t& NUL1,
                         std::int32_t& NUL2) {
  const std::int32_t shift = ForUnit(unit, 0, 8);
  Line& line = LineOf(s, unit);
  std::int32_t& eof = EofOf(s, unit);
  std::int32_t ISKIP = 0;
  do {
    main.At(125 + shift);
    if (!io::READ_RECORD(s.io, unit, line)) {
      main.At(127 + shift);
      eof = 1;
    }
    main.At(129 + shift);
    NULLS(s, unit, NUL1, NUL2);
    main.At(130 + shift);
    CHECK(s, ISKIP, unit);
    main.At(131 + shift);
  } while (eof == 0 && ISKIP == 1);
}

// Exactly one file has ended: list the rest of the other, from its line that
// found no partner, then the closing rule and the NUL reports, and stop.
[[noreturn]] void ListRest(State& s, io::RoutineFrame& main, std::int32_t NUL1, std::int32_t NUL2) {
  main.At(259);
  const std::int32_t unit = s.EOF1 == 0 ? kUnit1 : kUnit2;
  const std::int32_t shift = ForUnit(unit, 0, 11);
  Line& line = LineOf(s, unit);
  std::int32_t ISKIP = 0;
  main.At(ForUnit(unit, 260, 269));
  io::BACKSPACE_INPUT(s.io, unit);
  if (unit == kUnit2) {
    // The lines below the separator belong to file2, as in a block.
    main.At(271);
    WriteSeparator(s);
  }
  for (;;) {
    main.At(261 + shift);
    if (!io::READ_RECORD(s.io, unit, line)) {
      break;
    }
    main.At(262 + shift);
    CHECK(s, ISKIP, unit);
    main.At(263 + shift);
    if (ISKIP == 0) {
      main.At(264 + shift);
      WriteListedLine(s, unit);
    }
  }
  main.At(279);
  WriteClosingRule(s);
  NULBOX(s, main, 281, NUL1, NUL2);
  main.At(295);
  io::STOP_RUN(s.io);
}

}  // namespace

void MAIN(State& s) {
  io::RoutineFrame main(s.io, "", 69);
  std::int32_t NUL1 = 0;
  std::int32_t NUL2 = 0;
  main.At(69);
  s.LINE1 = BlankLine();
  main.At(70);
  s.LINE2 = BlankLine();
  main.At(71);
  NUL1 = 0;
  main.At(72);
  NUL2 = 0;
  main.At(74);
  io::OPEN_INPUT(s.io, kUnit1);
  main.At(75);
  io::OPEN_INPUT(s.io, kUnit2);
  main.At(77);
  io::REWIND_INPUT(s.io, kUnit1);
  main.At(78);
  io::REWIND_INPUT(s.io, kUnit2);
  main.At(104);
  s.IFIRST1 = kWindowFirst;
  s.IFIRST2 = kWindowFirst;
  s.ILAST1 = kWindowLast;
  s.ILAST2 = kWindowLast;
  main.At(110);
  s.EOF1 = 0;
  s.EOF2 = 0;
  main.At(114);
  WriteOpeningRule(s);

  for (std::int32_t pass = 0; pass < s.limits.passes; ++pass) {
    main.At(120);
    if (s.limits.skip_common_runs) {
      pass += PassCommonRun(s, pass);
    }
    main.At(122);
    s.NPOS1 = 1;
    main.At(123);
    s.NPOS2 = 1;
    NextSignificantLine(s, main, kUnit1, NUL1, NUL2);
    NextSignificantLine(s, main, kUnit2, NUL1, NUL2);
    main.At(141);
    if (s.EOF1 == 1 && s.EOF2 == 1) {
      // Both ended together. The listing already ends with a rule.
      NULBOX(s, main, 142, NUL1, NUL2);
      main.At(157);
      io::STOP_RUN(s.io);
    }
    main.At(160);
    if (s.EOF1 == 1 || s.EOF2 == 1) {
      ListRest(s, main, NUL1, NUL2);
    }
    main.At(162);
    COMPAR(s);
    main.At(163);
    if (s.MATCH == 0) {
      Resynchronise(s, main);
    }
    main.At(233);
  }
  main.At(235);
  io::WriteRecord(s.io, {});
  io::WriteRecord(s.io, {kLoopMessage1});
  main.At(236);
  io::WriteRecord(s.io, {kLoopMessage2});
  NULBOX(s, main, 238, NUL1, NUL2);
  main.At(252);
  io::STOP_RUN(s.io);
}

}  // namespace vellum::core
