// Console records: their byte form on standard output, written at once or
// in blocks, and their order against a failure report.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "io/console.h"
#include "io/termination.h"
#include "tests/whole_runs.h"

namespace vellum::testing {
namespace {

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
  EXPECT_EQ(RunWith(platform, Blocks1024()).status, 1);
  EXPECT_EQ(platform.out, "\r\n" + kRule + "\r\n");
  const std::vector<io::Stream> expected = {io::Stream::kStdout, io::Stream::kStderr,
                                            io::Stream::kStdout};
  EXPECT_EQ(platform.streams_written, expected)
      << "the opening rule, the report, then the owed line end";
}

// A failed block is reported where its first lost byte was made, as writing
// each record at once would report it, even where one routine is called
// again and again from different statements of its caller, and makes its
// records at the same stack place each time, and where the caller writes
// records or direct bytes between the calls. A few calls are cut at every
// byte; enough calls to fill the notes a buffer takes, so that a record or
// a direct write finds them full and writes the buffer out early, at every
// 13th.
TEST(Console, AFailedBlockNamesTheCallThatMadeItsFirstLostByte) {
  const auto write_all = [](io::Io& io, std::int32_t calls) {
    io::RoutineFrame caller(io, "", 1);
    const auto callee = [&io](bool twice) {
      io::RoutineFrame frame(io, "CALLEE", 20);
      io::WriteRecord(io, {" one"});
      if (twice) {
        frame.At(21);
        io::WriteRecord(io, {" two"});
      }
    };
    for (std::int32_t call = 0; call < calls; ++call) {
      caller.At(10 + call);
      if (call % 4 == 1) {
        io::WriteRecord(io, {" caller"});
      } else if (call % 4 == 3) {
        io::WriteStdout(io, "direct");  // as a prompt is written
      }
      callee(call % 3 == 0);
    }
    io::FlushStdout(io);
  };
  for (const auto& [calls, step] : {std::pair{6, 1}, std::pair{1200, 13}}) {
    MemoryPlatform whole;
    io::Io whole_io(whole, {"vellum"});
    write_all(whole_io, calls);
    for (std::size_t room = 0; room < whole.out.size(); room += static_cast<std::size_t>(step)) {
      std::vector<std::string> reports;
      for (const bool blocks : {false, true}) {
        MemoryPlatform platform;
        platform.stdout_takes_blocks = blocks;
        platform.out_room = room;
        io::Io io(platform, {"vellum"});
        EXPECT_THROW(write_all(io, calls), io::RunEnd);
        reports.push_back(ReportOf(io));
      }
      EXPECT_EQ(reports[1], reports[0]) << calls << " calls cut at " << room;
    }
  }
}

}  // namespace
}  // namespace vellum::testing
