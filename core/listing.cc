// PRINT, LASTCOL and the fixed records of the listing.
#include "core/listing.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <string_view>

#include "core/classify.h"
#include "io/console.h"
#include "io/records.h"
#include "io/termination.h"

namespace vellum::core {
namespace {

// A record of a control blank followed by the given groups.
template <std::size_t kGroups, std::size_t kGroupSize>
constexpr auto RepeatedRecord(std::string_view group, std::string_view tail) {
  std::array<char, 1 + kGroups * kGroupSize + 1> record{};
  std::size_t at = 0;
  record[at++] = ' ';
  for (std::size_t g = 0; g < kGroups; ++g) {
    for (char c : group) {
      record[at++] = c;
    }
  }
  for (char c : tail) {
    record[at++] = c;
  }
  return record;
}

// " " + 79 dashes; " " + 26 x "-  " + "-". Both records are 80 bytes.
constexpr auto kRuleRecord = RepeatedRecord<kRuleWidth - 1, 1>("-", "-");
constexpr auto kSeparatorRecord = RepeatedRecord<kSeparatorGroups, 3>("-  ", "-");

std::string_view View(const auto& record) { return {record.data(), record.size()}; }

// Re-reads up to `count` lines of `unit` (all that are left when `to_end`),
// writing the significant ones; sets the end-of-file flag at the end. The
// statements are those of file1's half; file2's are 30 further on.
void Relist(State& s, io::RoutineFrame& frame, std::int32_t unit, std::int32_t count, bool to_end) {
  const std::int32_t shift = ForUnit(unit, 0, 30);
  Line& line = LineOf(s, unit);
  std::int32_t& eof = EofOf(s, unit);
  std::int32_t ISKIP = 0;
  for (std::int32_t n = 0; to_end || n < count; ++n) {
    frame.At(466 + shift);
    frame.At(468 + shift);
    if (!io::READ_RECORD(s.io, unit, line)) {
      frame.At(470 + shift);
      eof = 1;
      frame.At(471 + shift);
      return;
    }
    frame.At(472 + shift);
    CHECK(s, ISKIP, unit);
    frame.At(473 + shift);
    if (ISKIP == 0) {
      WriteListedLine(s, unit);
    }
  }
}

// Moves `unit` back to the first line of the block: its block position in
// records, and one more after an end of file, which only clears the flag.
void BackToBlockStart(State& s, io::RoutineFrame& frame, std::int32_t unit) {
  const std::int32_t shift = ForUnit(unit, 0, 35);
  const std::int32_t npos = NposOf(s, unit);
  if (npos > 0) {
    frame.At(449 + shift);
    frame.At(450 + shift);
    io::BackspaceRecords(s.io, unit, npos);
  }
  if (EofOf(s, unit) == 1) {
    frame.At(452 + shift);
    io::BACKSPACE_INPUT(s.io, unit);
  }
}

}  // namespace

void ListUnsynchronised(State& s, std::int32_t back1, std::int32_t back2, std::int32_t depth) {
  io::WriteRecord(s.io, {});
  std::array<char, 16> digits{};
  const char* digits_end = std::to_chars(digits.data(), digits.data() + digits.size(), depth).ptr;
  io::WriteRecord(
      s.io, {kUnsynchronisedNotice1,
             std::string_view(digits.data(), static_cast<std::size_t>(digits_end - digits.data())),
             kUnsynchronisedNotice2});
  std::int32_t ISKIP = 0;
  const auto list = [&](std::int32_t unit, std::int32_t back, std::int32_t count) {
    Line& line = LineOf(s, unit);
    io::BackspaceRecords(s.io, unit, back);
    for (std::int32_t n = 0; n < count && io::READ_RECORD(s.io, unit, line); ++n) {
      CHECK(s, ISKIP, unit);
      if (ISKIP == 0) {
        WriteListedLine(s, unit);
      }
    }
  };
  list(kUnit1, back1, 1);
  WriteSeparator(s);
  list(kUnit2, back2, depth);
  WriteClosingRule(s);
}

void WriteOpeningRule(State& s) {
  io::WriteRecord(s.io, {});
  io::WriteRecord(s.io, {View(kRuleRecord)});
}

void WriteClosingRule(State& s) { io::WriteRecord(s.io, {View(kRuleRecord)}); }

void WriteSeparator(State& s) { io::WriteRecord(s.io, {View(kSeparatorRecord)}); }

void WriteListedLine(State& s, std::int32_t unit) {
  const Line& line = LineOf(s, unit);
  const std::int32_t last = LASTCOL(line, io::FilledLength(s.io, unit, line));
  if (last < 1 || last > kLineWidth) {
    // Only significant lines are listed, and those are never all blank.
    io::RAISE_FAILURE(s.io, {kFailureRange, io::Operation::kRangeCheck, "",
                             "listed line has no column to write"});
  }
  io::WriteLine(s.io, std::string_view(line.data(), static_cast<std::size_t>(last)));
}

std::int32_t LASTCOL(const Line& line, std::size_t filled) {
  return static_cast<std::int32_t>(TrimmedLength({line.data(), std::min(filled, line.size())}));
}

void PRINT(State& s) {
  io::RoutineFrame frame(s.io, "PRINT", 438);
  // After an end of file both files are listed to their ends and the run
  // stops; the listing is never cut short.
  const bool eof_call = s.EOF1 == 1 || s.EOF2 == 1;

  frame.At(448);
  const std::int32_t NLIST1 = s.NPOS1 - 1;
  BackToBlockStart(s, frame, kUnit1);
  frame.At(453);
  if (NLIST1 != 0 || s.EOF1 == 1 || s.EOF2 == 1) {
    if (s.EOF1 == 1 || s.EOF2 == 1) {
      frame.At(455);
      io::WriteRecord(s.io, {});
      io::WriteRecord(s.io, {});
      io::WriteRecord(s.io, {kEofNotice1});
      io::WriteRecord(s.io, {kEofNotice2});
      io::WriteRecord(s.io, {kEofNotice3});
      io::WriteRecord(s.io, {});
      io::WriteRecord(s.io, {});
      frame.At(460);
    }
    frame.At(461);
    s.EOF1 = 0;
    Relist(s, frame, kUnit1, NLIST1, eof_call);
  }
  frame.At(482);
  WriteSeparator(s);

  frame.At(483);
  const std::int32_t NLIST2 = s.NPOS2 - 1;
  BackToBlockStart(s, frame, kUnit2);
  frame.At(488);
  if (NLIST2 != 0 || s.EOF1 == 1 || s.EOF2 == 1) {
    frame.At(491);
    const bool to_end = eof_call || s.EOF1 == 1 || s.EOF2 == 1;
    s.EOF2 = 0;
    Relist(s, frame, kUnit2, NLIST2, to_end);
  }
  frame.At(508);
  WriteClosingRule(s);
  if (s.EOF1 == 1 || s.EOF2 == 1) {
    frame.At(510);
    io::STOP_RUN(s.io);
  }
  frame.At(511);
}

}  // namespace vellum::core
