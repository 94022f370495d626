// The search for the next agreeing pair: the order pairs are tried in, a
// file ending during the search, and the search limit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/reference_search.h"
#include "tests/whole_runs.h"

namespace vellum::testing {
namespace {

TEST(Comparison, FirstPairsAreTriedInTheirOrder) {
  ExpectListings({
      {"insertion in file2 found at (1, 2)", Lines({"ant", "bee", "elk"}),
       Lines({"ant", "owl", "bee", "elk"}), Listing({kSeparator, "owl", kRule})},
      {"insertion in file1 found at (2, 1)", Lines({"ant", "owl", "bee", "elk"}),
       Lines({"ant", "bee", "elk"}), Listing({"owl", kSeparator, kRule})},
      {"changed line found at (2, 2)", Lines({"ant", "owl", "elk"}), Lines({"ant", "yak", "elk"}),
       Listing({"owl", kSeparator, "yak", kRule})},
      // (1, 2) and (2, 1) both agree: the insertion in file2 wins, and the
      // comparison then meets file1's y at file2's end.
      {"insertion in file2 before insertion in file1", Lines({"a", "x", "y"}),
       Lines({"a", "y", "x"}), Listing({kSeparator, "y", kRule, "y", kRule})},
      // (2, 2) and (2, 1) both agree: the changed line wins.
      {"changed line before insertion in file1", Lines({"a", "p", "q"}), Lines({"a", "q", "q"}),
       Listing({"p", kSeparator, "q", kRule})},
      // Depth 3 before depth 4, and the shell of depth 3 from (3, 1) on.
      {"two lines of file1 for one of file2", Lines({"a", "p", "q", "z"}), Lines({"a", "r", "z"}),
       Listing({"p", "q", kSeparator, "r", kRule})},
  });
}

TEST(Comparison, FileEndingDuringTheSearchListsTheRestOfBoth) {
  ExpectListing({"x y against y", Lines({"x", "y"}), Lines({"y"}),
                 Concat({{"", kRule}, kEofNotice, {"x", "y", kSeparator, "y", kRule}})});
  ExpectListing({"ant bee elk against ant owl", Lines({"ant", "bee", "elk"}), Lines({"ant", "owl"}),
                 Concat({{"", kRule}, kEofNotice, {"bee", "elk", kSeparator, "owl", kRule}})});
}

TEST(Comparison, SearchComparesTheBlockStartBlankedOnlyUntilItIsReadAgain) {
  const std::string nul(1, '\0');
  const std::vector<std::string> box1 = NulBox('1');
  // At (1, 2) the first line of file1's block is still the blanked "a b".
  ExpectListing(
      {"blanked at (1, 2)", Lines({"a" + nul + "b", "z"}), Lines({"q", "a b", "z"}),
       Concat({Listing({"|a" + nul + "b|", kSeparator, "q", kRule, "|a" + nul + "b|"}), box1})});
  // At (1, 3) it has been read again from the file, NUL and all, and no
  // longer agrees with "a b"; the agreement comes at (4, 4).
  ExpectListing({"raw from (1, 3) on", Lines({"a" + nul + "b", "m", "n", "z"}),
                 Lines({"q", "r", "a b", "z"}),
                 Concat({Listing({"|a" + nul + "b|", "a" + nul + "b", "m", "n", kSeparator, "q",
                                  "r", "a b", kRule}),
                         box1})});
}

TEST(Limits, SearchLimitListsThePassedOverLinesAndReadsOnFromThere) {
  // One cycle tries depths 2 and 3 without agreement and stops at (1, 3):
  // X and Y, Q, R are listed unsynchronised, and the comparison goes on
  // with file1 after X and file2 after R. The next pass compares S with P,
  // and its search runs into file2's end, listing the rest of both files.
  core::Limits limits;
  limits.search_cycles = 1;
  const std::string sep =
      "-  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -";
  const std::string expected =
      "\r\n" + kRule +
      "\r\n\r\n**** NO AGREEMENT WITHIN 3 LINES: BLOCK LISTED UNSYNCHRONISED.\r\nX\r\n" + sep +
      "\r\nY\r\nQ\r\nR\r\n" + kRule +
      "\r\n\r\n\r\nLINES PRINTED BELOW MAY INCLUDE LINES THAT ARE"
      "\r\nIDENTICAL ON BOTH TAPES, BECAUSE ONE TAPE HIT EOF"
      "\r\nBEFORE THE OTHER.\r\n\r\n\r\nS\r\nT\r\nP\r\n" +
      sep + "\r\nP\r\n" + kRule + "\r\n" + kStop + "\r\n";
  EXPECT_EQ(RunFiles("X\nS\nT\nP\n", "Y\nQ\nR\nP\n", Blocks1024(limits)).out, expected);
  RunSettings plain;
  plain.limits = limits;
  plain.search = testing::PlainSearch;
  MemoryPlatform platform;
  platform.AddFile("f1", "X\nS\nT\nP\n");
  platform.AddFile("f2", "Y\nQ\nR\nP\n");
  EXPECT_EQ(RunProgram(platform, {"vellum", "f1", "f2"}, plain), 0);
  EXPECT_EQ(platform.out, expected) << "the plain search";
  // An agreement at the deepest shell of the cycle is still found.
  EXPECT_EQ(RunFiles("X\nS\nP\n", "Y\nQ\nP\n", Blocks1024(limits)).out,
            ListingOutput(Listing({"X", "S", kSeparator, "Y", "Q", kRule})));
}

TEST(Limits, FullSearchFindsAnAgreementDeeperThanOneCycle) {
  // The same files with the real limit: agreement at (4, 4).
  ExpectListing({"agreement at (4, 4)", Lines({"X", "S", "T", "P"}), Lines({"Y", "Q", "R", "P"}),
                 Listing({"X", "S", "T", kSeparator, "Y", "Q", "R", kRule})});
}

TEST(SearchLimit, FullSizeLimitListsTheBlockInsteadOfLosingIt) {
  // No line in common: the first search gives up at depth 100,001 and lists
  // what it passes over; the second runs into file2's end and lists the
  // rest. Every line of both files is listed once.
  std::string file1;
  std::string file2;
  constexpr int kLines = 100'010;
  for (int i = 0; i < kLines; ++i) {
    const std::string number = std::to_string(i);
    file1.append("a").append(number).append("\n");
    file2.append("b").append(number).append("\n");
  }
  const Outcome outcome = RunFiles(file1, file2);
  EXPECT_EQ(outcome.status, 0);
  const std::string notice =
      "\r\n\r\n**** NO AGREEMENT WITHIN 100001 LINES: BLOCK LISTED UNSYNCHRONISED.\r\na0\r\n";
  ASSERT_NE(outcome.out.find(notice), std::string::npos);
  EXPECT_EQ(outcome.out.find(notice, outcome.out.find(notice) + 1), std::string::npos);
  for (const std::string& line :
       {std::string("a1"), std::string("a100009"), std::string("b0"), std::string("b100000"),
        std::string("b100001"), std::string("b100009")}) {
    EXPECT_NE(outcome.out.find("\r\n" + line + "\r\n"), std::string::npos) << line;
  }
  std::size_t listed = 0;
  for (std::size_t at = outcome.out.find("\r\n"); at != std::string::npos;
       at = outcome.out.find("\r\n", at + 2)) {
    const char next = at + 2 < outcome.out.size() ? outcome.out[at + 2] : ' ';
    listed += next == 'a' || next == 'b' ? 1 : 0;
  }
  EXPECT_EQ(listed, 2U * kLines);
}

}  // namespace
}  // namespace vellum::testing
