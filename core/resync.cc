// The re-synchronisation search.
//
// The search meets exactly the agreement, or the end of file, that trying
// the pairs one by one in their order would meet first. The order tries
// shell m (the pairs with m in one position) as (1, m) ... (m, m) ...
// (m, 1) when m is even and (m, 1) ... (m, m) ... (1, m) when m is odd.
// Within a shell the first agreeing pair is therefore found from the
// smallest and largest positions that carry a window, which the window index
// gives at once: each shell costs one new line of each file, not 2m - 1
// pairs. Each line is read once while searching, in the order in which
// stepping through the pairs first reads it and through READ's frame at the
// statements that stepping would be at, so a failing read is reported alike;
// at the end the units are put where stepping would have left them.
#include "core/resync.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <string_view>

#include "core/classify.h"
#include "core/listing.h"
#include "core/read.h"
#include "io/records.h"

namespace vellum::core {
namespace {

// The compared window of `line`, the line of `unit` or a copy of it: the
// columns IFIRST to ILAST that COMPAR compares. The index takes windows of
// its fixed width, which MAIN sets before any search.
std::string_view Window(const State& s, std::int32_t unit, const Line& line) {
  const std::int32_t first = ForUnit(unit, s.IFIRST1, s.IFIRST2);
  [[maybe_unused]] const std::int32_t last = ForUnit(unit, s.ILAST1, s.ILAST2);
  assert(first >= 1 && last - first + 1 == static_cast<std::int32_t>(kWindowWidth) &&
         last <= kLineWidth);
  return {line.data() + first - 1, kWindowWidth};
}

// The lines of each file read so far in this block, and the index of them.
class Search {
 public:
  Search(State& s, io::RoutineFrame& main) : s_(s), main_(main), index_(s.index) { index_.Clear(); }

  // Runs the search; see Resynchronise.
  void Run();

 private:
  // Reads the next line of `unit` into its line buffer and indexes it,
  // keeping its window's key in `key`. Returns false at the end of the file.
  bool ReadNext(std::int32_t unit, std::int32_t statement, WindowIndex::Key* key = nullptr);
  // Indexes the line `unit` has just read, the next of the block.
  WindowIndex::Key Index(std::int32_t unit);
  // The same, where whether the line can agree is known: `agrees`.
  WindowIndex::Key Index(std::int32_t unit, bool agrees);
  // Starts fetching what indexing the next line of `unit` will look at.
  void FetchNext(std::int32_t unit);
  // Reads the block's first line of `unit`, which it has just read, again
  // from the file: moves back over it at `back_statement` and reads it at
  // `read_statement`, or neither where that would leave all as it is, the
  // line then agreeing or not as `agrees` says.
  void ReadFirstAgain(std::int32_t unit, std::int32_t back_statement, std::int32_t read_statement,
                      bool agrees);
  // Moves `unit` back to just after line `position`, its line buffer holding
  // that line when `reload`.
  void StandAfter(std::int32_t unit, std::int32_t position, bool reload);
  // Lists the block of the agreement at (k1, k2), whose last step in the
  // order moved `moved` with the READ at `statement`.
  void Agree(std::int32_t k1, std::int32_t k2, std::int32_t moved, std::int32_t statement);
  // `unit` ended where the order first needs its line (npos1, npos2).
  void EndOfFile(std::int32_t unit, std::int32_t npos1, std::int32_t npos2, std::int32_t statement);

  std::int32_t& LinesRead(std::int32_t unit) { return unit == kUnit1 ? read1_ : read2_; }

  State& s_;
  io::RoutineFrame& main_;
  WindowIndex& index_;
  std::int32_t read1_ = 1;  // the unit stands after this line of the block
  std::int32_t read2_ = 1;
};

bool Search::ReadNext(std::int32_t unit, std::int32_t statement, WindowIndex::Key* key) {
  main_.At(statement);
  if (!ReadNextLine(s_, unit)) {
    return false;
  }
  const WindowIndex::Key added = Index(unit);
  if (key != nullptr) {
    *key = added;
  }
  return true;
}

WindowIndex::Key Search::Index(std::int32_t unit) {
  // Only a line of file1 that is not ignorable can agree.
  std::int32_t ISKIP = 0;
  if (unit == kUnit1) {
    CHECK(s_, ISKIP, kUnit1);
  }
  return Index(unit, ISKIP == 0);
}

WindowIndex::Key Search::Index(std::int32_t unit, bool agrees) {
  ++LinesRead(unit);
  const WindowIndex::Key key = index_.Add(unit, Window(s_, unit, LineOf(s_, unit)), agrees);
  if (index_.TakesAllCells()) {
    FetchNext(unit);
  }
  return key;
}

void Search::FetchNext(std::int32_t unit) {
  // The unit's next record is read next unless the search ends first; its
  // window is the bytes ahead unless it is short, and a wrong guess only
  // fetches in vain.
  const auto first = static_cast<std::size_t>(ForUnit(unit, s_.IFIRST1, s_.IFIRST2)) - 1;
  io::LookAhead(s_.io, unit, [&](std::string_view ahead) {
    if (ahead.size() >= first + kWindowWidth) {
      index_.FetchCell(ahead.substr(first, kWindowWidth));
    }
  });
}

void Search::ReadFirstAgain(std::int32_t unit, std::int32_t back_statement,
                            std::int32_t read_statement, bool agrees) {
  main_.At(back_statement);
  LinesRead(unit) = 0;
  if (io::RereadChangesNothing(s_.io, unit, LineOf(s_, unit))) {
    main_.At(read_statement);
    Index(unit, agrees);
    return;
  }
  io::BACKSPACE_INPUT(s_.io, unit);
  ReadNext(unit, read_statement);
}

void Search::StandAfter(std::int32_t unit, std::int32_t position, bool reload) {
  // The line buffer holds the line last read, so a unit that already stands
  // after `position` needs nothing.
  std::int32_t& read = LinesRead(unit);
  if (read == position) {
    return;
  }
  // Stepping moves a unit back only in its backward phase, and reads the
  // line there: a failure is reported at those statements.
  main_.At(ForUnit(unit, 226, 203));
  io::BackspaceRecords(s_.io, unit, read - position + (reload ? 1 : 0));
  if (reload) {
    main_.At(ForUnit(unit, 228, 205));
    ReadNextLine(s_, unit);
  }
  read = position;
}

void Search::Agree(std::int32_t k1, std::int32_t k2, std::int32_t moved, std::int32_t statement) {
  // The file that did not move holds its line; the one that moved stands
  // just before its line, and READ takes that step, tests the pair and has
  // the block listed. Where the one that moved has just read its line and
  // moving back and reading it again would leave all as it is, READ only
  // tests.
  const std::int32_t other = OtherUnit(moved);
  StandAfter(other, ForUnit(other, k1, k2), true);
  const std::int32_t line_at = ForUnit(moved, k1, k2);
  const bool in_hand =
      LinesRead(moved) == line_at && io::RereadChangesNothing(s_.io, moved, LineOf(s_, moved));
  if (!in_hand) {
    StandAfter(moved, line_at - 1, false);
  }
  s_.NPOS1 = k1;
  s_.NPOS2 = k2;
  main_.At(statement);
  if (in_hand) {
    io::RoutineFrame frame(s_.io, "READ", 401);
    frame.At(411);
    frame.At(ForUnit(moved, 416, 424));
    TestPair(s_, frame);
  } else {
    READ(s_, moved);
  }
  main_.At(statement + 1);
}

void Search::EndOfFile(std::int32_t unit, std::int32_t npos1, std::int32_t npos2,
                       std::int32_t statement) {
  const std::int32_t other = OtherUnit(unit);
  StandAfter(other, ForUnit(other, npos1, npos2), false);
  EofOf(s_, unit) = 1;
  s_.NPOS1 = npos1;
  s_.NPOS2 = npos2;
  // Count only lines that exist, and list the rest of both files; PRINT
  // ends the run.
  main_.At(statement + 1);
  NposOf(s_, unit) -= 1;
  main_.At(statement + 2);
  PRINT(s_);
}

void Search::Run() {
  // The pass left the block's first lines blanked of NULs. File2's first
  // line is only compared as read again from the file, so read it again.
  // File1's is compared blanked at (1, 2) and as read again from (1, 3) on.
  std::array<char, kWindowWidth> blanked{};
  const std::string_view window1 = Window(s_, kUnit1, s_.LINE1);
  std::copy(window1.begin(), window1.end(), blanked.begin());
  const std::string_view blanked1(blanked.data(), blanked.size());
  std::int32_t ISKIP = 0;
  CHECK(s_, ISKIP, kUnit1);
  const bool blanked1_agrees = ISKIP == 0;
  ReadFirstAgain(kUnit2, 203, 205, true);

  const std::int32_t depth = SearchDepth(s_.limits);
  for (std::int32_t m = 2; m <= depth; ++m) {
    if (m % 2 == 0) {
      main_.At(183);
      // (1, m) needs file2's line m.
      WindowIndex::Key key2 = 0;
      if (!ReadNext(kUnit2, 187, &key2)) {
        return EndOfFile(kUnit2, 1, m, 187);
      }
      if (m == 2) {
        if (blanked1_agrees && Window(s_, kUnit2, s_.LINE2) == blanked1) {
          return Agree(1, 2, kUnit2, 187);
        }
        // From here on file1's first line is the one in the file: the same
        // line, when it held no NUL to blank.
        ReadFirstAgain(kUnit1, 226, 228, blanked1_agrees);
      } else if (const std::int32_t i = index_.First(kUnit1, key2); i != 0) {
        return Agree(i, m, i == 1 ? kUnit2 : kUnit1, i == 1 ? 187 : 195);
      }
      // (m, m) needs file1's line m.
      WindowIndex::Key key1 = 0;
      if (!ReadNext(kUnit1, 195, &key1)) {
        return EndOfFile(kUnit1, m, m, 195);
      }
      // Equal keys are equal windows; a line that cannot agree has none.
      if (key1 != 0) {
        if (key1 == key2) {
          return Agree(m, m, kUnit1, 195);
        }
        if (const std::int32_t j = index_.Last(kUnit2, key1); j != 0) {
          return Agree(m, j, kUnit2, 205);
        }
      }
    } else {
      // (m, 1) needs file1's line m.
      WindowIndex::Key key1 = 0;
      if (!ReadNext(kUnit1, 210, &key1)) {
        return EndOfFile(kUnit1, m, 1, 210);
      }
      if (key1 != 0) {
        if (const std::int32_t j = index_.First(kUnit2, key1); j != 0) {
          return Agree(m, j, j == 1 ? kUnit1 : kUnit2, j == 1 ? 210 : 218);
        }
      }
      // (m, m) needs file2's line m.
      WindowIndex::Key key2 = 0;
      if (!ReadNext(kUnit2, 218, &key2)) {
        return EndOfFile(kUnit2, m, m, 218);
      }
      if (key1 != 0 && key1 == key2) {
        return Agree(m, m, kUnit2, 218);
      }
      if (const std::int32_t i = index_.Last(kUnit1, key2); i != 0) {
        return Agree(i, m, kUnit1, 228);
      }
      main_.At(231);
    }
  }
  // No agreement within the search's depth: the order would end at
  // (1, depth). List what it passes over rather than lose it.
  s_.NPOS1 = 1;
  s_.NPOS2 = depth;
  s_.MATCH = 0;
  ListUnsynchronised(s_, read1_, read2_, depth);
}

}  // namespace

void Resynchronise(State& s, io::RoutineFrame& main) {
  if (s.search_override != nullptr) {
    s.search_override(s, main);
    return;
  }
  Search search(s, main);
  search.Run();
}

}  // namespace vellum::core
