// Whole comparisons in-process: how a run starts, passes over lines that
// agree, and ends, evenly, unevenly or at the loop limit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/whole_runs.h"

namespace vellum::testing {
namespace {

TEST(Comparison, IdenticalFilesWriteTheOpeningRuleAlone) {
  ExpectListings({{"empty files", "", "", Listing({})},
                  {"lines", Lines({"same", "lines"}), Lines({"same", "lines"}), Listing({})}});
}

TEST(Comparison, WorkedExampleOfAWholeRun) {
  ExpectListing({"alpha to epsilon", Lines({"alpha", "beta", "gamma", "delta"}),
                 Lines({"alpha", "BETA", "gamma", "delta", "epsilon"}),
                 Listing({"beta", kSeparator, "BETA", kRule, kSeparator, "epsilon", kRule})});
}

TEST(Comparison, UnevenEndsListTheRestOfTheLongerFile) {
  ExpectListings({
      {"file1 empty", "", Lines({"one", "", "two"}), Listing({kSeparator, "one", "two", kRule})},
      {"file2 empty", Lines({"one", "C", "two"}), "", Listing({"one", "two", kRule})},
      {"file1 longer", Lines({"a", "b", "more", "", "most"}), Lines({"a", "b"}),
       Listing({"more", "most", kRule})},
  });
}

TEST(Comparison, CarriageReturnLineEndsCompareLikeLineFeeds) {
  const std::string window24(24, 'w');
  ExpectListings({
      {"CR LF against LF", "one\r\ntwo\r\nthree\r\n", Lines({"one", "two", "three"}), Listing({})},
      {"lone CR ends the data", "one\rlost\ntwo\n", Lines({"one", "two"}), Listing({})},
      // The record's LF is met after earlier LFs in the same read.
      {"lone CR after lines read alike", "a\nb\nc\rlost\nd\n", Lines({"a", "b", "c", "d"}),
       Listing({})},
      {"lone CR in a changed line", "a\nb\nx\rlost\nd\n", Lines({"a", "b", "y", "d"}),
       Listing({"x", kSeparator, "y", kRule})},
      // Within a run of lines alike, the last compared column decides.
      {"difference in column 25", Lines({"a", "b", window24 + "x", "d"}),
       Lines({"a", "b", window24 + "y", "d"}),
       Listing({window24 + "x", kSeparator, window24 + "y", kRule})},
      {"difference in column 26", Lines({"a", "b", window24 + "xx", "d"}),
       Lines({"a", "b", window24 + "xy", "d"}), Listing({})},
  });
}

TEST(Limits, LoopLimitStopsTheRunWithBothMessagesWhenReached) {
  const std::string reached = "\r\n" + kRule +
                              "\r\n\r\n**** {DO 68} LOOP TOO SMALL FOR THE INPUT DATA."
                              "\r\n**** THERE IS PROBABLY MORE DATA NOT COMPARED.\r\n" +
                              kStop + "\r\n";
  const std::string within = "\r\n" + kRule + "\r\n" + kStop + "\r\n";
  struct Row {
    std::int32_t passes;
    std::string file;
    std::string out;
  };
  // Two lines take three passes: two that agree and one that meets both ends.
  const std::vector<Row> rows = {
      {2, "a\nb\nc\nd\n", reached},
      {2, "a\nb\n", reached},
      {3, "a\nb\n", within},
  };
  for (const Row& row : rows) {
    core::Limits limits;
    limits.passes = row.passes;
    const Outcome outcome = RunFiles(row.file, row.file, Blocks1024(limits));
    EXPECT_EQ(outcome.out, row.out) << row.passes << " passes over " << row.file;
    EXPECT_EQ(outcome.status, 0);
  }
}

}  // namespace
}  // namespace vellum::testing
