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
  ExpectListing(
      {"CR LF against LF", "one\r\ntwo\r\nthree\r\n", Lines({"one", "two", "three"}), Listing({})});
  ExpectListing({"lone CR ends the data", "one\rlost\ntwo\n", Lines({"one", "two"}), Listing({})});
}

TEST(Limits, LoopLimitWritesBothMessagesAndStops) {
  core::Limits limits;
  limits.passes = 2;
  const Outcome outcome = RunFiles("a\nb\nc\nd\n", "a\nb\nc\nd\n", Blocks1024(limits));
  EXPECT_EQ(outcome.out, "\r\n" + kRule +
                             "\r\n\r\n**** {DO 68} LOOP TOO SMALL FOR THE INPUT DATA."
                             "\r\n**** THERE IS PROBABLY MORE DATA NOT COMPARED.\r\n" +
                             kStop + "\r\n");
  EXPECT_EQ(outcome.status, 0);
}

TEST(Limits, LoopLimitIsNotReachedByARunThatEndsWithinIt) {
  core::Limits limits;
  limits.passes = 3;
  const Outcome outcome = RunFiles("a\nb\n", "a\nb\n", Blocks1024(limits));
  EXPECT_EQ(outcome.out, "\r\n" + kRule + "\r\n" + kStop + "\r\n");
}

}  // namespace
}  // namespace vellum::testing
