// How a run ends when standard output fails: the report names the record
// whose bytes were lost first, as writing each record at once would, for
// every cause and at every byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tests/whole_runs.h"

namespace vellum::testing {
namespace {

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

}  // namespace
}  // namespace vellum::testing
