// How a run ends on a failure: the report, its location and traceback, and
// the status, for failures met in every part of a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/classify.h"
#include "io/termination.h"
#include "tests/reference_search.h"
#include "tests/whole_runs.h"

namespace vellum::testing {
namespace {

const std::string kUnreadable = "the file could not be read (a device or file system error)";

// A run whose reads fail, and the report it must end with.
struct ReadFaultRow {
  const char* name;
  MemoryFileSetup file1;
  MemoryFileSetup file2;
  std::vector<core::SearchRoutine> searches;  // the searches that meet the fault alike
  std::string err;
};

MemoryFileSetup FailingAfterReads(std::string bytes, std::int64_t reads) {
  MemoryFileSetup setup = FileBytes(std::move(bytes));
  setup.fail_after_reads = reads;
  return setup;
}

TEST(FailureReport, ReadErrorsNameTheStatementsAndRoutinesThatMetThem) {
  // ant, owl, elk against ant, a line of 1100 bytes, elk: file2's second
  // line spans two blocks of 1024 bytes, and reading its first block a
  // second time fails.
  const MemoryFileSetup spanning =
      FailingAfterReads("ant\n" + std::string(1100, 'y') + "\nelk\n", 2);
  const std::string trace = "\r\nExecution traceback:\r\n";
  const std::vector<ReadFaultRow> rows = {
      {"the main loop's read",
       FileBytes("a\n", 0),
       FileBytes("a\n"),
       {nullptr, &PlainSearch},
       MainReport(125, "F6500: READ(f1)", kUnreadable)},
      // Stepping through the pairs, the agreement at (2, 2) is found by
      // phase B's READ(1); PRINT then moves file2 back over that line.
      {"PRINT called from READ",
       FileBytes("ant\nowl\nelk\n"),
       spanning,
       {&PlainSearch},
       "\r\nvellum(485) : run-time error F6500: BACKSPACE(f2)\r\n- " + kUnreadable + "\r\n" +
           trace +
           "\t\tfrom PRINT in vellum(485)\r\n\t\tfrom READ in vellum(430)\r\n"
           "\t\tfrom main program in vellum(195)\r\n"},
      // The search reads file2's first line of the block again as it starts.
      {"the search's start",
       FileBytes("ant\nowl\nelk\n"),
       spanning,
       {nullptr},
       MainReport(203, "F6500: BACKSPACE(f2)", kUnreadable)},
      // The block b, c, d against q, r and a line crossing into the second
      // block, whose read fails: shell 3 reads it through READ at 218,
      // whichever search runs.
      {"ahead in the search",
       FileBytes("a\nb\nc\nd\n"),
       FileBytes("a\nq\nr\n" + std::string(1100, 'z') + "\n", 1024),
       {nullptr, &PlainSearch},
       "\r\nvellum(424) : run-time error F6500: READ(f2)\r\n- " + kUnreadable + "\r\n" + trace +
           "\t\tfrom READ in vellum(424)\r\n\t\tfrom main program in vellum(218)\r\n"},
  };
  for (const ReadFaultRow& row : rows) {
    for (const core::SearchRoutine search : row.searches) {
      MemoryPlatform platform;
      platform.AddFile("f1", row.file1);
      platform.AddFile("f2", row.file2);
      const Outcome outcome = RunWith(platform, Blocks1024({}, search));
      EXPECT_EQ(outcome.err, row.err) << row.name;
      EXPECT_EQ(outcome.status, 1) << row.name;
    }
  }
}

TEST(FailureReport, MovesBackThatFailAreReportedWhereTheRunMovesBack) {
  // Nothing in common for a while, then file2's seventh line of the block
  // agrees with file1's second or first, or the other way round, or the
  // files end alike: the search goes deep and moves a file back over many
  // lines, and reading in blocks of 8 bytes, moving back reads again; where
  // the file that did not move must give its first line again, it is read
  // once more. A fault at every read of each file in turn.
  std::vector<std::string> block1;
  std::vector<std::string> block2;
  for (int n = 0; n < 6; ++n) {
    block1.push_back("first file's line " + std::to_string(n));
    block2.push_back("second file's line " + std::to_string(n));
  }
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {Lines(block1) + "end\n", Lines(block2) + block1[1] + "\n"},
      {Lines(block1) + block2[1] + "\n", Lines(block2) + "end\n"},
      {Lines(block1) + "end\n", Lines(block2) + "end\n"},
      {Lines(block1) + "end\n", Lines(block2) + block1[0] + "\n"},
      {Lines(block1) + block2[0] + "\n", Lines(block2) + "end\n"},
  };
  // Where each routine moves a unit back.
  const std::vector<std::string> moving_back = {
      "vellum(203) in main program", "vellum(204) in main program", "vellum(226) in main program",
      "vellum(227) in main program", "vellum(260) in main program", "vellum(269) in main program",
      "vellum(450) in PRINT",        "vellum(452) in PRINT",        "vellum(485) in PRINT",
      "vellum(487) in PRINT"};
  RunSettings settings;
  settings.read_block = 8;
  std::set<std::string> met;
  // Failures met where the search moves each file back (BACKSPACE) and then
  // reads its line again (READ): each file's own statements.
  std::map<int, std::set<std::string>> in_search;
  const std::set<std::string> search_places = {"vellum(203)", "vellum(205)", "vellum(226)",
                                               "vellum(228)"};
  for (const int unit : {1, 2}) {
    for (std::size_t round = 0; round < 200 * pairs.size(); ++round) {
      const std::string file1 = "same\n" + pairs[round % pairs.size()].first;
      const std::string file2 = "same\n" + pairs[round % pairs.size()].second;
      MemoryPlatform platform;
      const auto nth = static_cast<std::int64_t>(round / pairs.size());
      platform.AddFile("f1", unit == 1 ? FailingAfterReads(file1, nth) : FileBytes(file1));
      platform.AddFile("f2", unit == 2 ? FailingAfterReads(file2, nth) : FileBytes(file2));
      const Outcome outcome = RunWith(platform, settings);
      const bool backspace = outcome.err.find("BACKSPACE") != std::string::npos;
      if (backspace) {
        const std::string where = InnermostOf(outcome.err);
        EXPECT_NE(std::find(moving_back.begin(), moving_back.end(), where), moving_back.end())
            << where << ", fault at read " << nth << " of file" << unit;
        met.insert(where);
      }
      const std::string main_at = MainStatementOf(outcome.err);
      const std::string innermost = InnermostOf(outcome.err);
      if (outcome.err.find("F6500") != std::string::npos && search_places.contains(main_at) &&
          (innermost.ends_with(" in main program") || innermost.ends_with(" in READ"))) {
        in_search[unit].insert((backspace ? "BACKSPACE " : "READ ") + main_at);
      }
    }
  }
  // The search's own moves back were reached, of each file.
  EXPECT_TRUE(met.contains("vellum(203) in main program"));
  EXPECT_TRUE(met.contains("vellum(226) in main program"));
  EXPECT_EQ(in_search[1], (std::set<std::string>{"BACKSPACE vellum(226)", "READ vellum(228)"}));
  EXPECT_EQ(in_search[2], (std::set<std::string>{"BACKSPACE vellum(203)", "READ vellum(205)"}));
}

TEST(FailureReport, EveryPlaceThatReadsIsNamedByItsFailure) {
  // A block, then the rest of one file listed; or one file ending in the
  // search, and the rest of both listed. Reading a byte at a time, a
  // failure at every read of each file in turn.
  const std::string longer = Lines({"ant", "owl", "elk", "emu", "gnu"});
  const std::string shorter = Lines({"ant", "yak", "elk"});
  const std::string ended = Lines({"ant", "owl"});
  const std::string going_on = Lines({"ant", "yak", "bee", "fox"});
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {longer, shorter}, {shorter, longer}, {ended, going_on}, {going_on, ended}};
  const std::map<int, std::set<std::string>> places = {
      {1,
       {"vellum(125) in main program", "vellum(261) in main program", "vellum(416) in READ",
        "vellum(468) in PRINT"}},
      {2,
       {"vellum(133) in main program", "vellum(272) in main program", "vellum(424) in READ",
        "vellum(498) in PRINT"}},
  };
  RunSettings settings;
  settings.read_block = 1;
  for (const auto& [unit, expected] : places) {
    std::set<std::string> met;
    for (const auto& [bytes1, bytes2] : pairs) {
      for (std::int64_t nth = 0; nth < 120; ++nth) {
        MemoryPlatform platform;
        platform.AddFile("f1", unit == 1 ? FailingAfterReads(bytes1, nth) : FileBytes(bytes1));
        platform.AddFile("f2", unit == 2 ? FailingAfterReads(bytes2, nth) : FileBytes(bytes2));
        const Outcome outcome = RunWith(platform, settings);
        if (outcome.err.find("F6500: READ(") != std::string::npos) {
          met.insert(InnermostOf(outcome.err));
        }
      }
    }
    EXPECT_EQ(met, expected) << "file" << unit;
  }
}

TEST(FailureReport, MemoryFailingAfterTheFirstByteIsF6700AfterWhatWasWritten) {
  const std::string report =
      "\r\nrun-time error F6700\r\n- not enough memory to go on with the comparison\r\n";
  const std::string prompt = "File name missing or blank - please enter file name\r\nUNIT 2? ";
  // Standard output in blocks, or a terminal that takes each write at once.
  for (const bool in_answer : {false, true}) {
    for (const bool blocks : {true, false}) {
      MemoryPlatform platform;
      platform.stdout_takes_blocks = blocks;
      platform.AddFile("f1", "a\nb\n");
      MemoryFileSetup setup = FileBytes("a\nc\n");
      setup.no_memory_after_reads = 1;
      platform.AddFile("f2", setup);
      // While an answer is read, after the prompt was written.
      platform.stdin_no_memory = in_answer;
      const int status =
          RunProgram(platform, {"vellum", "f1", in_answer ? "" : "f2"}, Blocks1024());
      EXPECT_EQ(platform.out, in_answer ? prompt : kOpeningRule) << blocks;
      EXPECT_EQ(platform.err, report) << blocks;
      EXPECT_EQ(status, 1) << blocks;
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
  EXPECT_EQ(ReportOf(io),
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
  EXPECT_EQ(ReportOf(io), "\r\nrun-time error F6416: OPEN(data2)\r\n\r\n");
}

}  // namespace
}  // namespace vellum::testing
