// How a run ends on a failure: the report, its location and traceback, and
// the status, for failures met in every part of a run.
#include <gtest/gtest.h>

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

TEST(FailureReport, MemoryFailingDuringTheRunIsF6700AfterTheListingSoFar) {
  MemoryPlatform platform;
  platform.stdout_takes_blocks = true;
  platform.AddFile("f1", "a\nb\n");
  MemoryFileSetup setup = FileBytes("a\nc\n");
  setup.no_memory_after_reads = 1;
  platform.AddFile("f2", setup);
  const Outcome outcome = RunWith(platform, Blocks1024());
  EXPECT_EQ(outcome.out, kOpeningRule);
  EXPECT_EQ(outcome.err,
            "\r\nrun-time error F6700\r\n- not enough memory to go on with the comparison\r\n");
  EXPECT_EQ(outcome.status, 1);
}

struct OutputFaultRow {
  const char* name;
  io::WriteStatus status;  // what every write of standard output meets
  std::size_t lost;        // bytes of the whole output the device does not take
  std::string err;
  int exit_status;
  std::string err_in_blocks = err;  // when standard output is written in blocks
};

TEST(FailureReport, StandardOutputRefusingAnyWriteFailsTheRun) {
  const std::string full = kOpeningRule + kStop + "\r\n";
  const std::string no_space = "no space left on the device that receives standard output";
  const std::vector<OutputFaultRow> rows = {
      // In blocks, the first write is the stop's, at the even end.
      {"refused from the start", io::WriteStatus::kAccessDenied, full.size(),
       MainReport(114, "F6421: WRITE(CON)", "standard output refused the write"), 1,
       MainReport(157, "F6421: WRITE(CON)", "standard output refused the write")},
      {"another shortfall, passed over", io::WriteStatus::kOther, full.size(), "", 0},
      // The stop message is written at the even end, statement 157.
      {"full at the stop message", io::WriteStatus::kOk, 10,
       MainReport(157, "F6422: WRITE(CON)", no_space), 1},
      // The owed line end is written by the cleanup, outside every routine.
      {"full at the owed line end", io::WriteStatus::kOk, 2,
       "\r\nrun-time error F6422: WRITE(CON)\r\n- " + no_space + "\r\n", 1},
  };
  for (const bool blocks : {false, true}) {
    for (const OutputFaultRow& row : rows) {
      MemoryPlatform platform;
      platform.stdout_takes_blocks = blocks;
      platform.out_status = row.status;
      platform.out_room = full.size() - row.lost;
      platform.AddFile("f1", "a\n");
      platform.AddFile("f2", "a\n");
      const Outcome outcome = RunWith(platform, Blocks1024());
      if (row.status == io::WriteStatus::kOk) {
        EXPECT_EQ(outcome.out, full.substr(0, full.size() - row.lost)) << row.name;
      }
      EXPECT_EQ(outcome.err, blocks ? row.err_in_blocks : row.err)
          << row.name << (blocks ? ", in blocks" : "");
      EXPECT_EQ(outcome.status, row.exit_status) << row.name;
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
