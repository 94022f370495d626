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
const std::string kOpeningRule = "\r\n" + kRule + "\r\n";

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

// The statement and routine at the head of `report`, as "vellum(203) in
// main program" for a failure of the main program.
std::string InnermostOf(const std::string& report) {
  const std::size_t at = report.find("vellum(");
  const std::size_t from = report.find("\t\tfrom ");
  if (at == std::string::npos || from == std::string::npos) {
    return "";
  }
  const std::size_t routine_end = report.find(" in ", from);
  return report.substr(at, report.find(')', at) + 1 - at) + " in " +
         report.substr(from + 7, routine_end - from - 7);
}

// The main program's statement in the traceback of `report`, as
// "vellum(N)"; empty when the main program is not in it.
std::string MainStatementOf(const std::string& report) {
  constexpr std::string_view kMain = "from main program in ";
  const std::size_t at = report.rfind(kMain);
  if (at == std::string::npos) {
    return "";
  }
  const std::size_t start = at + kMain.size();
  return report.substr(start, report.find(')', start) + 1 - start);
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

// The second report of a failed standard output: the exit-time cleanup
// writes the owed line end, which fails again, after the first report's
// traceback emptied the frames.
std::string CleanupReport(const std::string& what, const std::string& message) {
  return "\r\nrun-time error " + what + "\r\n- " + message + "\r\n";
}

struct OutputFaultRow {
  const char* name;
  io::WriteStatus cause;  // what the write that stops short meets
  std::size_t lost;       // bytes at the end of the whole output not taken
  std::string err;
};

TEST(FailureReport, StandardOutputFailingForAnyCauseFailsTheRun) {
  const std::string full = kOpeningRule + kStop + "\r\n";
  const std::string no_space = "no space left on the device that receives standard output";
  const auto twice = [](int statement, const std::string& what, const std::string& message) {
    return MainReport(statement, what, message) + CleanupReport(what, message);
  };
  const std::vector<OutputFaultRow> rows = {
      // The opening rule is the run's first record with bytes.
      {"refused from the start", io::WriteStatus::kAccessDenied, full.size(),
       twice(114, "F6421: WRITE(CON)", "standard output refused the write")},
      {"the reader gone", io::WriteStatus::kReaderGone, full.size(),
       twice(114, "F6421: WRITE(CON)",
             "the reader of standard output has gone (its pipe was closed)")},
      {"an input/output error", io::WriteStatus::kDeviceError, full.size(),
       twice(114, "F6421: WRITE(CON)",
             "an input/output error on the device that receives standard output")},
      {"nothing taken", io::WriteStatus::kNoProgress, full.size(),
       twice(114, "F6421: WRITE(CON)", "standard output took none of the bytes written to it")},
      {"another cause", io::WriteStatus::kOther, full.size(),
       twice(114, "F6421: WRITE(CON)", "standard output failed the write")},
      // The stop message is written at the even end, statement 157.
      {"full at the stop message", io::WriteStatus::kDeviceFull, 10,
       twice(157, "F6422: WRITE(CON)", no_space)},
      // The owed line end is written by the cleanup, with the main program's
      // frame that the stop left registered.
      {"full at the owed line end", io::WriteStatus::kDeviceFull, 2,
       MainReport(157, "F6422: WRITE(CON)", no_space)},
  };
  for (const bool blocks : {false, true}) {
    for (const OutputFaultRow& row : rows) {
      MemoryPlatform platform;
      platform.stdout_takes_blocks = blocks;
      platform.out_cut = row.cause;
      platform.out_room = full.size() - row.lost;
      platform.AddFile("f1", "a\n");
      platform.AddFile("f2", "a\n");
      const Outcome outcome = RunWith(platform, Blocks1024());
      EXPECT_EQ(outcome.out, full.substr(0, platform.out_room)) << row.name;
      EXPECT_EQ(outcome.err, row.err) << row.name << (blocks ? ", in blocks" : "");
      EXPECT_EQ(outcome.status, 1) << row.name;
    }
  }
}

// Collecting output in blocks changes no report: cut anywhere, a run reports
// what writing each record when made reports, for listings of a block, the
// rest of either file, NUL lines and the NUL reports, a file ending in the
// search, the loop's limit, and for a read failure met while records wait.
// Between them the cuts meet every place that writes.
TEST(FailureReport, OutputCutAtEveryByteReportsAsWritingEachRecord) {
  const std::string nul_line("n\0l", 3);
  const std::string longer = Lines({"ant", "bee", "elk", nul_line, "owl", "yak"});
  const std::string shorter = Lines({"ant", "BEE", "elk"});
  struct Run {
    std::string file1;
    std::string file2;
    std::int32_t passes = core::kLoopLimit;
    std::size_t step = 1;  // the cuts tried are this many bytes apart
  };
  // Enough blocks that the notes of where buffered bytes were made fill up
  // and are written out more than once.
  std::vector<std::string> many1;
  std::vector<std::string> many2;
  for (int i = 0; i < 700; ++i) {
    many1.insert(many1.end(), {"same" + std::to_string(i), "old" + std::to_string(i)});
    many2.insert(many2.end(), {"same" + std::to_string(i), "new" + std::to_string(i)});
  }
  const std::vector<Run> runs = {
      {longer, shorter},
      {shorter, longer},
      {Lines({"ant", nul_line}), Lines({"ant", "yak", "bee"})},  // file1 ends in the search
      {Lines({nul_line, "ant"}), Lines({"bee", "ant"})},         // both end together
      {Lines({"ant", "bee"}), Lines({"ant", "bee"}), 1},         // the loop's limit
      {Lines(many1), Lines(many2), core::kLoopLimit, 331},
  };
  std::set<std::string> written_at;
  // Where main stood when READ, called by the search's agreement, listed
  // the block whose write failed.
  std::set<std::string> listed_by_read_at;
  for (const Run& run : runs) {
    core::Limits limits;
    limits.passes = run.passes;
    const RunSettings settings = Blocks1024(limits);
    MemoryPlatform whole;
    whole.AddFile("f1", run.file1);
    whole.AddFile("f2", run.file2);
    const Outcome complete = RunWith(whole, settings);
    ASSERT_EQ(complete.status, 0);
    for (const std::int64_t read_fault : {std::int64_t{-1}, std::int64_t{3}}) {
      if (read_fault >= 0 && &run != &runs.front()) {
        break;  // one listing with records waiting is enough
      }
      for (std::size_t room = 0; room < complete.out.size(); room += run.step) {
        std::vector<Outcome> outcomes;
        for (const bool blocks : {false, true}) {
          MemoryPlatform platform;
          platform.stdout_takes_blocks = blocks;
          platform.out_room = room;
          platform.AddFile("f1", run.file1);
          MemoryFileSetup setup = FileBytes(run.file2);
          setup.fail_after_reads = read_fault;
          platform.AddFile("f2", setup);
          outcomes.push_back(RunWith(platform, settings));
        }
        EXPECT_EQ(outcomes[1], outcomes[0]) << "cut at " << room << ", read fault " << read_fault;
        EXPECT_EQ(outcomes[0].status, 1);
        EXPECT_EQ(outcomes[0].out, complete.out.substr(0, std::min(room, outcomes[0].out.size())));
        if (outcomes[0].err.find("WRITE(CON)") != std::string::npos) {
          written_at.insert(InnermostOf(outcomes[0].err));
          if (outcomes[0].err.find("\t\tfrom READ in ") != std::string::npos) {
            listed_by_read_at.insert(MainStatementOf(outcomes[0].err));
          }
        }
      }
    }
  }
  const auto main_at = [](std::initializer_list<int> statements) {
    std::set<std::string> places;
    for (const int statement : statements) {
      places.insert("vellum(" + std::to_string(statement) + ") in main program");
    }
    return places;
  };
  std::set<std::string> expected =
      main_at({114, 143, 144, 145, 146, 147, 157, 235, 236, 252, 264, 271, 275,
               279, 282, 283, 284, 285, 286, 289, 290, 291, 292, 293, 295});
  expected.insert({"vellum(313) in NULLS", "vellum(323) in NULLS", "vellum(455) in PRINT",
                   "vellum(473) in PRINT", "vellum(482) in PRINT", "vellum(503) in PRINT",
                   "vellum(508) in PRINT", "vellum(510) in PRINT"});
  EXPECT_EQ(written_at, expected);
  // file1's "old" line agrees with file2's next "same" line: main's
  // statement is the agreement's, before its READ.
  EXPECT_EQ(listed_by_read_at, std::set<std::string>{"vellum(195)"});
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
