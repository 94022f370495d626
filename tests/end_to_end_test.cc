// Whole-program cases: the built program runs on files made in a temporary
// folder, and its standard output, standard error and exit status are
// compared byte for byte with expectations written by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/program_runner.h"

namespace vellum::testing {
namespace {

const std::string kRule(79, '-');
const std::string kSeparator =
    "-  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -";
const std::vector<std::string> kEofNotice = {"",
                                             "",
                                             "LINES PRINTED BELOW MAY INCLUDE LINES THAT ARE",
                                             "IDENTICAL ON BOTH TAPES, BECAUSE ONE TAPE HIT EOF",
                                             "BEFORE THE OTHER.",
                                             "",
                                             ""};

std::string Lines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += line + "\n";
  }
  return bytes;
}

// The console lines of a run, opening rule first.
std::vector<std::string> Listing(std::vector<std::string> body) {
  std::vector<std::string> lines = {"", kRule};
  lines.insert(lines.end(), body.begin(), body.end());
  return lines;
}

std::vector<std::string> Concat(const std::vector<std::vector<std::string>>& parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

// The framed report for file `digit`, in code page 437 bytes.
std::vector<std::string> NulBox(char digit) {
  const std::string bar(23, '\xCD');
  return {"",
          "",
          "        \xC9" + bar + "\xBB",
          "        \xBA                       \xBA",
          std::string("        \xBA NUL's found in file") + digit + "  \xBA",
          "        \xBA                       \xBA",
          "        \xC8" + bar + "\xBC",
          "",
          ""};
}

struct Case {
  const char* name;
  std::string file1;
  std::string file2;
  std::vector<std::string> console;  // console lines, opening rule included
};

void ExpectCase(const Case& c) {
  TempFolder folder;
  folder.Write("file1", c.file1);
  folder.Write("file2", c.file2);
  const ProgramResult result = RunVellum(folder, {"file1", "file2"});
  EXPECT_EQ(result.out, ListingOutput(c.console)) << c.name;
  EXPECT_EQ(result.err, "") << c.name;
  EXPECT_EQ(result.status, 0) << c.name;
}

TEST(EndToEnd, IdenticalFilesWriteTheOpeningRuleAlone) {
  const std::string expected = "\r\n" + kRule + "\r\nStop - Program terminated.\r\n\r\n";
  for (const std::string& text : {std::string(), std::string("same\nlines\n")}) {
    TempFolder folder;
    folder.Write("a", text);
    folder.Write("b", text);
    const ProgramResult result = RunVellum(folder, {"a", "b"});
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
  }
}

TEST(EndToEnd, WorkedExampleOfAWholeRun) {
  ExpectCase({"alpha to epsilon", Lines({"alpha", "beta", "gamma", "delta"}),
              Lines({"alpha", "BETA", "gamma", "delta", "epsilon"}),
              Listing({"beta", kSeparator, "BETA", kRule, kSeparator, "epsilon", kRule})});
}

TEST(EndToEnd, UnevenEndsListTheRestOfTheLongerFile) {
  const std::vector<Case> cases = {
      {"file1 empty", "", Lines({"one", "", "two"}), Listing({kSeparator, "one", "two", kRule})},
      {"file2 empty", Lines({"one", "C", "two"}), "", Listing({"one", "two", kRule})},
      {"file1 longer", Lines({"a", "b", "more", "", "most"}), Lines({"a", "b"}),
       Listing({"more", "most", kRule})},
  };
  for (const Case& c : cases) {
    ExpectCase(c);
  }
}

TEST(EndToEnd, IgnorableLinesInOneFileOnlyMakeNoDifference) {
  const std::string banner = "  Date (Day of year) Time and anything after it";
  const std::vector<Case> cases = {
      {"inside", Lines({"a", "", "C", "b", "c", "!", banner, "   ", "d"}), Lines({"a", "b", "d"}),
       Listing({})},
      {"at the end of one file", Lines({"a", "b"}), Lines({"a", "b", "", "!", "c"}), Listing({})},
      {"differences after column 25 only", Lines({"0123456789012345678901234 one", "x"}),
       Lines({"0123456789012345678901234 two", "x   "}), Listing({})},
  };
  for (const Case& c : cases) {
    ExpectCase(c);
  }
}

TEST(EndToEnd, FirstPairsAreTriedInTheirOrder) {
  const std::vector<Case> cases = {
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
  };
  for (const Case& c : cases) {
    ExpectCase(c);
  }
}

TEST(EndToEnd, AnIgnorableLineOfFile1NeverAgrees) {
  // Were the bare C lines to agree, X/Y and Z/W would be two blocks.
  ExpectCase({"bare C", Lines({"ant", "X", "C", "Z", "elk"}), Lines({"ant", "Y", "C", "W", "elk"}),
              Listing({"X", "Z", kSeparator, "Y", "W", kRule})});
}

TEST(EndToEnd, BlockListingLeavesOutIgnorableLinesAndTrailingBlanks) {
  ExpectCase({"worked example of a block", Lines({"alpha", "beta  ", "", "gamma"}),
              Lines({"alpha", "BETA", "gamma"}), Listing({"beta", kSeparator, "BETA", kRule})});
  // The blank and C lines count in file2's block position (agreement at
  // (2, 4)) but are not listed.
  ExpectCase({"ignorable lines inside a block", Lines({"a", "x", "b", "z"}),
              Lines({"a", "y", "", "C", "b", "z"}), Listing({"x", kSeparator, "y", kRule})});
  const std::string full(300, 'f');
  ExpectCase({"300 columns listed whole, more cut", Lines({"a", full + "tail", "z"}),
              Lines({"a", "short", "z"}), Listing({full, kSeparator, "short", kRule})});
}

TEST(EndToEnd, BlankWindowOfFile1AgreesWithABlankLineOfFile2) {
  // The pair agrees at (1, 2); the next pass skips the blank line of file2
  // and meets b, and the search then runs into file2's end.
  const std::string late = std::string(25, ' ') + "text";
  ExpectCase(
      {"blank window", Lines({"a", late, "b"}), Lines({"a", "x", "", "b"}),
       Concat(
           {Listing({kSeparator, "x", kRule}), kEofNotice, {late, "b", kSeparator, "b", kRule}})});
}

TEST(EndToEnd, FileEndingDuringTheSearchListsTheRestOfBoth) {
  ExpectCase({"x y against y", Lines({"x", "y"}), Lines({"y"}),
              Concat({{"", kRule}, kEofNotice, {"x", "y", kSeparator, "y", kRule}})});
  ExpectCase({"ant bee elk against ant owl", Lines({"ant", "bee", "elk"}), Lines({"ant", "owl"}),
              Concat({{"", kRule}, kEofNotice, {"bee", "elk", kSeparator, "owl", kRule}})});
}

TEST(EndToEnd, CarriageReturnLineEndsCompareLikeLineFeeds) {
  ExpectCase(
      {"CR LF against LF", "one\r\ntwo\r\nthree\r\n", Lines({"one", "two", "three"}), Listing({})});
  ExpectCase({"lone CR ends the data", "one\rlost\ntwo\n", Lines({"one", "two"}), Listing({})});
}

TEST(EndToEnd, NulsAreBlankedInTheMainLoopAndListedRawInABlock) {
  const std::string nul(1, '\0');
  // "a<NUL>b" is reported, blanked and then agrees with "a b".
  const std::vector<std::string> box1 = NulBox('1');
  const std::vector<std::string> box2 = NulBox('2');
  ExpectCase({"blanked NUL agrees", "a" + nul + "b\n", "a b\n",
              Concat({Listing({"|a" + nul + "b|"}), box1})});
  // Two NULs give two bar lines; the second shows the first already blanked.
  ExpectCase({"one bar line per NUL", " y\n", nul + "y" + nul + "\n",
              Concat({Listing({"|" + nul + "y" + nul + "|", "| y" + nul + "|"}), box2})});
  // The block is read again from the file, so its line keeps the NUL.
  ExpectCase(
      {"NUL listed raw in a block", Lines({"ant", "x" + nul + "y", "elk"}),
       Lines({"ant", "zz", "elk"}),
       Concat({Listing({"|x" + nul + "y|", "x" + nul + "y", kSeparator, "zz", kRule}), box1})});
  // A line of NULs and blanks only becomes blank and is skipped.
  ExpectCase({"NULs only", nul + nul + "\nq\n", "q\n",
              Concat({Listing({"|" + nul + nul + "|", "| " + nul + "|"}), box1})});
  ExpectCase({"both files", "a" + nul + "z\n", "a" + nul + "z\n",
              Concat({Listing({"|a" + nul + "z|", "|a" + nul + "z|"}), box1, box2})});
}

TEST(EndToEnd, SearchComparesTheBlockStartBlankedOnlyUntilItIsReadAgain) {
  const std::string nul(1, '\0');
  const std::vector<std::string> box1 = NulBox('1');
  // At (1, 2) the first line of file1's block is still the blanked "a b".
  ExpectCase(
      {"blanked at (1, 2)", Lines({"a" + nul + "b", "z"}), Lines({"q", "a b", "z"}),
       Concat({Listing({"|a" + nul + "b|", kSeparator, "q", kRule, "|a" + nul + "b|"}), box1})});
  // At (1, 3) it has been read again from the file, NUL and all, and no
  // longer agrees with "a b"; the agreement comes at (4, 4).
  ExpectCase({"raw from (1, 3) on", Lines({"a" + nul + "b", "m", "n", "z"}),
              Lines({"q", "r", "a b", "z"}),
              Concat({Listing({"|a" + nul + "b|", "a" + nul + "b", "m", "n", kSeparator, "q", "r",
                               "a b", kRule}),
                      box1})});
}

TEST(EndToEnd, NoBoxWhenTheRunEndsDuringASearch) {
  const std::string nul(1, '\0');
  ExpectCase(
      {"end during a search", Lines({"a" + nul, "x", "y"}), Lines({"a", "y"}),
       Concat({Listing({"|a" + nul + "|"}), kEofNotice, {"x", "y", kSeparator, "y", kRule}})});
}

TEST(EndToEnd, MissingFileFailsTheOpenWithAReport) {
  TempFolder folder;
  folder.Write("data1", "x\n");
  const ProgramResult result = RunVellum(folder, {"data1", "data2"});
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "\r\nvellum(75) : run-time error F6416: OPEN(data2)\r\n"
            "- the file, or a directory on its path, does not exist\r\n"
            "\r\nExecution traceback:\r\n\t\tfrom main program in vellum(75)\r\n");
  EXPECT_EQ(result.status, 1);
}

TEST(EndToEnd, DirectoryIsRefusedAsAnInput) {
  TempFolder folder;
  folder.Write("data1", "x\n");
  std::filesystem::create_directory(folder.path() / "dir");
  const ProgramResult result = RunVellum(folder, {"dir", "data1"});
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "\r\nvellum(74) : run-time error F6414: OPEN(dir)\r\n"
            "- access to the file was refused, or it is a directory\r\n"
            "\r\nExecution traceback:\r\n\t\tfrom main program in vellum(74)\r\n");
  EXPECT_EQ(result.status, 1);
}

TEST(EndToEnd, FullOutputDeviceEndsTheRunWithAWriteFailure) {
  if (!std::filesystem::exists("/dev/full")) {
    GTEST_SKIP() << "no /dev/full here";
  }
  TempFolder folder;
  folder.Write("a", "x\n");
  folder.Write("b", "x\n");
  RunOptions options;
  options.stdout_path = "/dev/full";
  const ProgramResult result = RunVellum(folder, {"a", "b"}, options);
  // The listing is written in blocks, so the failure shows when the stop
  // writes out what is left, at the even end (statement 157).
  EXPECT_EQ(result.err,
            "\r\nvellum(157) : run-time error F6422: WRITE(CON)\r\n"
            "- no space left on the device that receives standard output\r\n"
            "\r\nExecution traceback:\r\n\t\tfrom main program in vellum(157)\r\n");
  EXPECT_EQ(result.status, 1);
}

}  // namespace
}  // namespace vellum::testing
