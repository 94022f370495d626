// MAIN: start, the comparison loop and the four ends of a run.
#include "core/driver.h"

#include "core/classify.h"
#include "core/listing.h"
#include "core/nuls.h"
#include "core/pass_debt.h"
#include "core/record_run.h"
#include "core/resync.h"
#include "io/common_records.h"
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

// Lines both files hold alike would pass one pair a pass without a word:
// takes them in one step, `pass` passes made, and returns the passes they
// count. Where the limit is out of reach for good, the passes need no
// counting, nor the lines classifying. Where no line held could reach it,
// their passes are owed while there is room to note them, and counted only
// when the limit may come within reach.
std::int32_t PassCommonRun(State& s, std::int32_t pass) {
  const std::int64_t limit = s.limits.passes;
  std::int64_t counted = 0;
  // Bytes held alike are passed a part at a time, until a part passes none.
  for (;;) {
    const std::int64_t at_most = pass + counted + s.owed.most;
    const std::int64_t left1 = io::BytesLeft(s.io, kUnit1);
    const bool for_good = LimitOutOfReach(at_most, limit, left1, io::BytesLeft(s.io, kUnit2));
    const std::size_t most_alike = io::MostHeldAlike(s.io);
    const bool far = at_most + static_cast<std::int64_t>(most_alike) + 1 < limit;
    // Owed passes are counted by reading file1 again, so it must be a file
    // of known size.
    const bool owe = !for_good && far && left1 >= 0 && HasRoom(s.owed);
    if (!for_good && !far && s.owed.most > 0) {
      counted += Settle(s.owed, s.io);
    }
    const std::int64_t most_counted = limit - pass - counted - s.owed.most;
    const std::int64_t offset = io::Position(s.io, kUnit1);
    std::int64_t records = 0;
    bool differs = false;  // the bytes held alike end where the files differ
    const RecordRun run = io::PassHeldAlike(s.io, s.LINE1, s.LINE2, [&](std::string_view alike) {
      differs = alike.size() < most_alike;
      if (!for_good && !owe) {
        return MeasureRecordRun(alike, most_counted);
      }
      const RecordRun taken = TakeRecordRun(alike);
      if (owe) {
        records = io::CountRecords(alike.substr(0, taken.size));
      }
      return taken;
    });
    if (run.size == 0) {
      return static_cast<std::int32_t>(counted);
    }
    if (owe) {
      Owe(s.owed, offset, static_cast<std::int64_t>(run.size), records);
    }
    counted += run.counted;
    // Every whole record before the difference was taken: the next part
    // would start in the record that holds it, and pass none.
    if (for_good && differs) {
      return static_cast<std::int32_t>(counted);
    }
  }
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
