// Whole runs in-process on the memory platform: the limit paths with small
// limits, failure reports with their traceback, and the byte form of
// console records.
#include "app/run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/classify.h"
#include "core/listing.h"
#include "io/console.h"
#include "io/open.h"
#include "io/termination.h"
#include "tests/memory_platform.h"
#include "tests/reference_search.h"
#include "tests/whole_runs.h"

namespace vellum {
namespace {

using testing::MemoryPlatform;

const std::string kRule(79, '-');
const std::string kStop = "Stop - Program terminated.\r\n";

using testing::Outcome;

// Runs with reads of 1024 bytes, the block size the fault cases count in.
Outcome Run1024(MemoryPlatform& platform, core::Limits limits = {},
                core::SearchRoutine search = nullptr) {
  Seams seams;
  seams.limits = limits;
  seams.read_block = 1024;
  seams.search = search;
  return testing::RunWith(platform, seams);
}

Outcome RunOn(const std::string& file1, const std::string& file2, core::Limits limits = {}) {
  MemoryPlatform platform;
  platform.AddFile("f1", file1);
  platform.AddFile("f2", file2);
  return Run1024(platform, limits);
}

TEST(Limits, LoopLimitWritesBothMessagesAndStops) {
  core::Limits limits;
  limits.passes = 2;
  const Outcome outcome = RunOn("a\nb\nc\nd\n", "a\nb\nc\nd\n", limits);
  EXPECT_EQ(outcome.out, "\r\n" + kRule +
                             "\r\n\r\n**** {DO 68} LOOP TOO SMALL FOR THE INPUT DATA."
                             "\r\n**** THERE IS PROBABLY MORE DATA NOT COMPARED.\r\n" +
                             kStop + "\r\n");
  EXPECT_EQ(outcome.status, 0);
}

TEST(Limits, LoopLimitIsNotReachedByARunThatEndsWithinIt) {
  core::Limits limits;
  limits.passes = 3;
  const Outcome outcome = RunOn("a\nb\n", "a\nb\n", limits);
  EXPECT_EQ(outcome.out, "\r\n" + kRule + "\r\n" + kStop + "\r\n");
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
  EXPECT_EQ(RunOn("X\nS\nT\nP\n", "Y\nQ\nR\nP\n", limits).out, expected);
  Seams plain;
  plain.limits = limits;
  plain.search = testing::PlainSearch;
  MemoryPlatform platform;
  platform.AddFile("f1", "X\nS\nT\nP\n");
  platform.AddFile("f2", "Y\nQ\nR\nP\n");
  EXPECT_EQ(RunProgram(platform, {"vellum", "f1", "f2"}, plain), 0);
  EXPECT_EQ(platform.out, expected) << "the plain search";
}

TEST(Limits, FullSearchFindsAnAgreementDeeperThanOneCycle) {
  // The same files with the real limit: agreement at (4, 4).
  const Outcome outcome = RunOn("X\nS\nT\nP\n", "Y\nQ\nR\nP\n");
  EXPECT_EQ(outcome.out, "\r\n" + kRule + "\r\nX\r\nS\r\nT\r\n" +
                             "-  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -"
                             "  -  -  -  -  -\r\nY\r\nQ\r\nR\r\n" +
                             kRule + "\r\n" + kStop + "\r\n");
}

// ant, owl, elk against ant, a line of 1100 bytes, elk: file2's second line
// spans two blocks of 1024 bytes, and reading its first block a second time
// fails.
void AddFilesFailingOnSecondBlock(MemoryPlatform& platform) {
  platform.AddFile("f1", "ant\nowl\nelk\n");
  testing::MemoryFileSetup setup = testing::FileBytes("ant\n" + std::string(1100, 'y') + "\nelk\n");
  setup.fail_after_reads = 2;
  platform.AddFile("f2", setup);
}

TEST(FailureReport, ReadErrorInTheMainLoopNamesStatement125) {
  MemoryPlatform platform;
  platform.AddFile("f1", testing::FileBytes("a\n", 0));
  platform.AddFile("f2", "a\n");
  const Outcome outcome = Run1024(platform);
  EXPECT_EQ(outcome.out, "\r\n" + kRule + "\r\n");
  EXPECT_EQ(outcome.err,
            "\r\nvellum(125) : run-time error F6500: READ(f1)\r\n"
            "- the file could not be read (a device or file system error)\r\n"
            "\r\nExecution traceback:\r\n\t\tfrom main program in vellum(125)\r\n");
  EXPECT_EQ(outcome.status, 1);
}

TEST(FailureReport, MoveBackErrorInsidePrintCalledFromReadNamesEveryFrame) {
  // Stepping through the pairs, the agreement at (2, 2) is found by phase
  // B's READ(1); PRINT then moves file2 back over a line that began in the
  // first block, and reading that block again fails.
  MemoryPlatform platform;
  AddFilesFailingOnSecondBlock(platform);
  const Outcome outcome = Run1024(platform, {}, testing::PlainSearch);
  EXPECT_EQ(outcome.err,
            "\r\nvellum(485) : run-time error F6500: BACKSPACE(f2)\r\n"
            "- the file could not be read (a device or file system error)\r\n"
            "\r\nExecution traceback:\r\n"
            "\t\tfrom PRINT in vellum(485)\r\n"
            "\t\tfrom READ in vellum(430)\r\n"
            "\t\tfrom main program in vellum(195)\r\n");
  EXPECT_EQ(outcome.status, 1);
}

TEST(FailureReport, MoveBackErrorAsTheSearchStartsNamesTheMainProgram) {
  // The search reads file2's first line of the block again as it starts;
  // that line began in the first block, and reading it again fails.
  MemoryPlatform platform;
  AddFilesFailingOnSecondBlock(platform);
  const Outcome outcome = Run1024(platform);
  EXPECT_EQ(outcome.err,
            "\r\nvellum(203) : run-time error F6500: BACKSPACE(f2)\r\n"
            "- the file could not be read (a device or file system error)\r\n"
            "\r\nExecution traceback:\r\n"
            "\t\tfrom main program in vellum(203)\r\n");
  EXPECT_EQ(outcome.status, 1);
}

TEST(FailureReport, ReadErrorAheadInTheSearchIsReportedFromRead) {
  // The block b, c, d against q, r and a line crossing into the second
  // block of 1024 bytes, whose read fails: shell 3 reads it through READ
  // at statement 218, whichever search runs.
  for (const core::SearchRoutine search : {core::SearchRoutine{nullptr}, &testing::PlainSearch}) {
    MemoryPlatform platform;
    platform.AddFile("f1", "a\nb\nc\nd\n");
    platform.AddFile("f2", testing::FileBytes("a\nq\nr\n" + std::string(1100, 'z') + "\n", 1024));
    const Outcome outcome = Run1024(platform, {}, search);
    EXPECT_EQ(outcome.out, "\r\n" + kRule + "\r\n");
    EXPECT_EQ(outcome.err,
              "\r\nvellum(424) : run-time error F6500: READ(f2)\r\n"
              "- the file could not be read (a device or file system error)\r\n"
              "\r\nExecution traceback:\r\n"
              "\t\tfrom READ in vellum(424)\r\n"
              "\t\tfrom main program in vellum(218)\r\n");
    EXPECT_EQ(outcome.status, 1);
  }
}

TEST(FailureReport, MemoryFailingDuringTheRunIsF6700AfterTheListingSoFar) {
  MemoryPlatform platform;
  platform.stdout_takes_blocks = true;
  platform.AddFile("f1", "a\nb\n");
  testing::MemoryFileSetup setup = testing::FileBytes("a\nc\n");
  setup.no_memory_after_reads = 1;
  platform.AddFile("f2", setup);
  const Outcome outcome = Run1024(platform);
  EXPECT_EQ(outcome.out, "\r\n" + kRule + "\r\n");
  EXPECT_EQ(outcome.err,
            "\r\nrun-time error F6700\r\n- not enough memory to go on with the comparison\r\n");
  EXPECT_EQ(outcome.status, 1);
}

struct FullDeviceRow {
  const char* name;
  std::size_t lost;  // bytes of the whole output the device does not take
  std::string err;
};

TEST(FailureReport, OutputRefusedAtTheEndIsAFailedRun) {
  const std::string full = "\r\n" + kRule + "\r\n" + kStop + "\r\n";
  const std::string no_space = "- no space left on the device that receives standard output\r\n";
  const std::vector<FullDeviceRow> rows = {
      // The stop message is written at the even end, statement 157.
      {"the stop message", 10,
       "\r\nvellum(157) : run-time error F6422: WRITE(CON)\r\n" + no_space +
           "\r\nExecution traceback:\r\n\t\tfrom main program in vellum(157)\r\n"},
      // The owed line end is written by the cleanup, outside every routine.
      {"the owed line end", 2, "\r\nrun-time error F6422: WRITE(CON)\r\n" + no_space},
  };
  for (const bool blocks : {false, true}) {
    for (const FullDeviceRow& row : rows) {
      MemoryPlatform platform;
      platform.stdout_takes_blocks = blocks;
      platform.out_room = full.size() - row.lost;
      platform.AddFile("f1", "a\n");
      platform.AddFile("f2", "a\n");
      const Outcome outcome = Run1024(platform);
      EXPECT_EQ(outcome.out, full.substr(0, full.size() - row.lost)) << row.name;
      EXPECT_EQ(outcome.err, row.err) << row.name;
      EXPECT_EQ(outcome.status, 1) << row.name;
    }
  }
}

TEST(FailureReport, RangeCheckInComparReportsWithoutAFileName) {
  MemoryPlatform platform;
  io::Io io(platform, {"vellum"});
  core::State state(io);
  state.ILAST1 = 0;
  io::RoutineFrame main(io, "", 187);
  io::RoutineFrame read(io, "READ", 429);
  EXPECT_THROW(core::COMPAR(state), io::RunEnd);
  EXPECT_EQ(testing::ReportOf(io),
            "\r\nvellum(389) : run-time error F6096: $DEBUG\r\n"
            "- compared window lies outside the line\r\n"
            "\r\nExecution traceback:\r\n"
            "\t\tfrom COMPAR in vellum(389)\r\n"
            "\t\tfrom READ in vellum(429)\r\n"
            "\t\tfrom main program in vellum(187)\r\n");
}

TEST(FailureReport, ReportWithoutFramesHasNoPrefixOrTraceback) {
  MemoryPlatform platform;
  io::Io io(platform, {"vellum"});
  EXPECT_THROW(io::RAISE_FAILURE(io, {6416, io::Operation::kOpen, "data2", ""}), io::RunEnd);
  EXPECT_EQ(testing::ReportOf(io), "\r\nrun-time error F6416: OPEN(data2)\r\n\r\n");
}

TEST(FailureReport, WriteRefusedEndsTheRunWithF6421) {
  MemoryPlatform platform;
  platform.AddFile("f1", "a\n");
  platform.AddFile("f2", "a\n");
  platform.out_status = io::WriteStatus::kAccessDenied;
  const Outcome outcome = Run1024(platform);
  EXPECT_EQ(outcome.err,
            "\r\nvellum(114) : run-time error F6421: WRITE(CON)\r\n"
            "- standard output refused the write\r\n"
            "\r\nExecution traceback:\r\n\t\tfrom main program in vellum(114)\r\n");
  EXPECT_EQ(outcome.status, 1);
}

TEST(FailureReport, OtherWriteShortfallsAreIgnored) {
  MemoryPlatform platform;
  platform.AddFile("f1", "a\n");
  platform.AddFile("f2", "b\n");
  platform.out_status = io::WriteStatus::kOther;
  const Outcome outcome = Run1024(platform);
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.status, 0);
}

TEST(FailureReport, SameFileTwiceFailsTheSecondOpen) {
  MemoryPlatform platform;
  testing::MemoryFileSetup setup = testing::FileBytes("a\n");
  setup.index = 7;
  platform.AddFile("f1", setup);
  platform.AddFile("f2", setup);  // another name for the same file
  const Outcome outcome = Run1024(platform);
  EXPECT_EQ(outcome.out, "");
  EXPECT_NE(outcome.err.find("vellum(75) : run-time error F6413: OPEN(f2)\r\n"), std::string::npos);
  EXPECT_EQ(outcome.status, 1);
}

TEST(NamePrompt, ConsoleAnswerDropsItsLineEnd) {
  MemoryPlatform platform;
  platform.AddFile("f1", "a\n");
  platform.AddFile("f2", "a\n");
  platform.stdin_is_device = true;
  platform.in = "f2\r\n";
  const int status = RunProgram(platform, {"vellum", "f1"});
  EXPECT_EQ(platform.out, "File name missing or blank - please enter file name\r\nUNIT 2? \r\n" +
                              kRule + "\r\n" + kStop + "\r\n");
  EXPECT_EQ(status, 0);
}

TEST(NamePrompt, ConsoleThatReturnsNothingIsExhausted) {
  MemoryPlatform platform;
  platform.AddFile("f1", "a\n");
  platform.stdin_is_device = true;
  const int status = RunProgram(platform, {"vellum", "f1"});
  EXPECT_EQ(platform.err,
            "\r\nvellum(75) : run-time error F6501: OPEN()\r\n"
            "- standard input ended while a file name was awaited\r\n"
            "\r\nExecution traceback:\r\n\t\tfrom main program in vellum(75)\r\n");
  EXPECT_EQ(status, 1);
}

TEST(NamePrompt, ConsoleLineLongerThanANameFailsWith6416) {
  MemoryPlatform platform;
  platform.AddFile("f1", "a\n");
  platform.stdin_is_device = true;
  platform.in = std::string(200, 'n');  // more than the limit of 64, no line end
  const int status = RunProgram(platform, {"vellum", "f1"});
  EXPECT_NE(platform.err.find("F6416: OPEN(nnn"), std::string::npos);
  EXPECT_EQ(status, 1);
}

TEST(NamePrompt, OwedLineEndIsWrittenBeforeAPromptWhenNoArgumentIsLeft) {
  MemoryPlatform platform;
  platform.AddFile("f1", "a\n");
  platform.in = "f1\n";
  io::Io io(platform, {"vellum"});
  io::WriteRecord(io, {" x"});
  io::OPEN_INPUT(io, 1);
  EXPECT_EQ(platform.out, "x\r\nFile name missing or blank - please enter file name\r\nUNIT 1? ");
  EXPECT_TRUE(io.console.line_end_owed) << "the flag is left as it was";
}

TEST(Console, RecordsBecomeLinesWithTheLineBreakInFront) {
  MemoryPlatform platform;
  io::Io io(platform, {"vellum"});
  io::WriteRecord(io, {});
  EXPECT_EQ(platform.out, "") << "the first record, empty, writes nothing";
  io::WriteRecord(io, {" abc"});
  io::WriteRecord(io, {});
  io::WriteRecord(io, {" ", std::string("\0\xC9\xFF", 3), "  "});
  EXPECT_EQ(platform.out, std::string("\r\nabc\r\n\r\n\0\xC9\xFF  ", 14));
  const std::string long_line(700, 'x');
  io::WriteRecord(io, {" ", long_line});
  EXPECT_EQ(platform.out.substr(14), "\r\n" + long_line) << "longer than the record buffer";
  EXPECT_TRUE(io.console.line_end_owed);
}

TEST(Console, BlocksOfOutputCarryTheSameBytesInFewerWrites) {
  std::string file1;
  std::string file2;
  for (int i = 0; i < 3000; ++i) {
    file1 += "line " + std::to_string(i) + "\n";
    file2 += (i % 7 == 0 ? "LINE " : "line ") + std::to_string(i) + "\n";
  }
  MemoryPlatform each;
  each.AddFile("f1", file1);
  each.AddFile("f2", file2);
  MemoryPlatform blocks = each;
  blocks.stdout_takes_blocks = true;
  EXPECT_EQ(RunProgram(each, {"vellum", "f1", "f2"}), 0);
  EXPECT_EQ(RunProgram(blocks, {"vellum", "f1", "f2"}), 0);
  EXPECT_EQ(blocks.out, each.out);
  EXPECT_LT(blocks.streams_written.size() * 100, each.streams_written.size());
}

TEST(Console, PendingOutputGoesOutBeforeAFailureReport) {
  MemoryPlatform platform;
  platform.stdout_takes_blocks = true;
  platform.AddFile("f1", "a\nb\n");
  testing::MemoryFileSetup setup = testing::FileBytes("a\nb\n");
  setup.fail_after_reads = 1;
  platform.AddFile("f2", setup);
  EXPECT_EQ(Run1024(platform).status, 1);
  EXPECT_EQ(platform.out, "\r\n" + kRule + "\r\n");
  const std::vector<io::Stream> expected = {io::Stream::kStdout, io::Stream::kStderr,
                                            io::Stream::kStdout};
  EXPECT_EQ(platform.streams_written, expected)
      << "the opening rule, the report, then the owed line end";
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
  };
  MemoryPlatform platform;
  io::Io io(platform, {"vellum"});
  core::State state(io);
  for (const ClassifyRow& row : rows) {
    state.LINE1 = core::BlankLine();
    state.LINE2 = core::BlankLine();
    const std::string text = row.line;
    std::copy(text.begin(), text.end(), state.LINE1.begin());
    std::copy(text.begin(), text.end(), state.LINE2.begin());
    std::int32_t result = -1;
    core::CHECK(state, result, 1);
    EXPECT_EQ(result, row.ignorable) << "file1: '" << row.line << "'";
    core::CHECK(state, result, 2);
    EXPECT_EQ(result, row.ignorable) << "file2: '" << row.line << "'";
    core::CHECK(state, result, 3);
    EXPECT_EQ(result, 0) << "other file numbers";
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
    state.LINE1 = core::BlankLine();
    state.LINE2 = core::BlankLine();
    std::copy(row.line1.begin(), row.line1.end(), state.LINE1.begin());
    std::copy(row.line2.begin(), row.line2.end(), state.LINE2.begin());
    core::COMPAR(state);
    EXPECT_EQ(state.MATCH, row.match) << "'" << row.line1 << "' / '" << row.line2 << "'";
  }
}

TEST(Lastcol, GivesTheLastNonBlankColumn) {
  MemoryPlatform platform;
  io::Io io(platform, {"vellum"});
  core::State state(io);
  core::Line line = core::BlankLine();
  EXPECT_EQ(core::LASTCOL(state, line, line.size()), 0);
  line[0] = 'x';
  EXPECT_EQ(core::LASTCOL(state, line, line.size()), 1);
  line[299] = '\t';
  EXPECT_EQ(core::LASTCOL(state, line, line.size()), 300);
  line[299] = '\0';
  EXPECT_EQ(core::LASTCOL(state, line, line.size()), 300);
}

}  // namespace
}  // namespace vellum
