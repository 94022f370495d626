// Which lines are skipped and which pairs agree: CHECK and COMPAR on their
// own, and the same rules seen in whole comparisons.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/classify.h"
#include "core/ignorable.h"
#include "tests/whole_runs.h"

namespace vellum::testing {
namespace {

// Puts `line1` and `line2`, blank padded, in the state's line buffers.
void SetLines(core::State& state, std::string_view line1, std::string_view line2) {
  state.LINE1 = core::BlankLine();
  state.LINE2 = core::BlankLine();
  std::copy(line1.begin(), line1.end(), state.LINE1.begin());
  std::copy(line2.begin(), line2.end(), state.LINE2.begin());
}

struct ClassifyRow {
  const char* line;
  int ignorable;
};

TEST(Check, ClassifiesIgnorableLines) {
  const std::vector<ClassifyRow> rows = {
      {"", 1},
      {"C", 1},
      {"c", 1},
      {"!", 1},
      {"  Date (Day of year) Time", 1},
      {"  Date (Day of year) Time plus more", 1},
      {" Date (Day of year) Time", 0},
      {"  date (day of year) time", 0},
      {" C", 0},
      {"C  x", 0},
      {"CC", 0},
      {"C\t", 0},
      {"!!", 0},
      {"x", 0},
      {" x", 0},
      {"C ", 1},
      {"  Date (Day of year) Tim", 0},
      {"  Date (Day of year) Time  ", 1},
      {"  DATE (Day of year) Time x", 0},
  };
  MemoryPlatform platform;
  io::Io io(platform, {"vellum"});
  core::State state(io);
  for (const ClassifyRow& row : rows) {
    SetLines(state, row.line, row.line);
    std::int32_t result = -1;
    core::CHECK(state, result, 1);
    EXPECT_EQ(result, row.ignorable) << "file1: '" << row.line << "'";
    core::CHECK(state, result, 2);
    EXPECT_EQ(result, row.ignorable) << "file2: '" << row.line << "'";
    core::CHECK(state, result, 3);
    EXPECT_EQ(result, 0) << "other file numbers";
    // The text alone, unpadded, as a run of records gives it.
    EXPECT_EQ(core::IsIgnorableText(row.line), row.ignorable == 1) << "text: '" << row.line << "'";
  }
  state.LINE1.fill(' ');
  state.LINE1[299] = 'C';
  std::int32_t result = -1;
  core::CHECK(state, result, 1);
  EXPECT_EQ(result, 0) << "a marker in column 300 is not a lone marker";
}

TEST(Compar, AgreesOnTheWindowWhenLine1IsSignificant) {
  struct Row {
    std::string line1;
    std::string line2;
    int match;
  };
  const std::string window = "0123456789012345678901234";
  const std::vector<Row> rows = {
      {window + "abc", window + "xyz", 1},
      {window, window + "     ", 1},
      {"abc", "abd", 0},
      {"", "", 0},
      {"C", "C", 0},
      {std::string(25, ' ') + "text", "", 1},
      {"a\tb", "a b", 0},
  };
  MemoryPlatform platform;
  io::Io io(platform, {"vellum"});
  core::State state(io);
  for (const Row& row : rows) {
    SetLines(state, row.line1, row.line2);
    core::COMPAR(state);
    EXPECT_EQ(state.MATCH, row.match) << "'" << row.line1 << "' / '" << row.line2 << "'";
  }
}

TEST(Comparison, IgnorableLinesInOneFileOnlyMakeNoDifference) {
  const std::string banner = "  Date (Day of year) Time and anything after it";
  ExpectListings({
      {"inside", Lines({"a", "", "C", "b", "c", "!", banner, "   ", "d"}), Lines({"a", "b", "d"}),
       Listing({})},
      {"at the end of one file", Lines({"a", "b"}), Lines({"a", "b", "", "!", "c"}), Listing({})},
      {"differences after column 25 only", Lines({"0123456789012345678901234 one", "x"}),
       Lines({"0123456789012345678901234 two", "x   "}), Listing({})},
  });
}

TEST(Comparison, AnIgnorableLineOfFile1NeverAgrees) {
  // Were the bare C lines to agree, X/Y and Z/W would be two blocks.
  ExpectListing({"bare C", Lines({"ant", "X", "C", "Z", "elk"}),
                 Lines({"ant", "Y", "C", "W", "elk"}),
                 Listing({"X", "Z", kSeparator, "Y", "W", kRule})});
}

TEST(Comparison, BlankWindowOfFile1AgreesWithABlankLineOfFile2) {
  // The pair agrees at (1, 2); the next pass skips the blank line of file2
  // and meets b, and the search then runs into file2's end.
  const std::string late = std::string(25, ' ') + "text";
  ExpectListing(
      {"blank window", Lines({"a", late, "b"}), Lines({"a", "x", "", "b"}),
       Concat(
           {Listing({kSeparator, "x", kRule}), kEofNotice, {late, "b", kSeparator, "b", kRule}})});
}

}  // namespace
}  // namespace vellum::testing
