// Naming and opening in-process: the name prompt read from a console, and
// the same file named twice. The child-process cases are in naming_test.cc.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/console.h"
#include "io/open.h"
#include "tests/whole_runs.h"

namespace vellum::testing {
namespace {

const std::string kNameTooLong(io::kNameTooLongMessage);

TEST(FailureReport, SameFileTwiceFailsTheSecondOpen) {
  MemoryPlatform platform;
  testing::MemoryFileSetup setup = testing::FileBytes("a\n");
  setup.index = 7;
  platform.AddFile("f1", setup);
  platform.AddFile("f2", setup);  // another name for the same file
  const Outcome outcome = RunWith(platform, Blocks1024());
  EXPECT_EQ(outcome.out, "");
  EXPECT_NE(outcome.err.find("vellum(75) : run-time error F6413: OPEN(f2)\r\n"), std::string::npos);
  EXPECT_EQ(outcome.status, 1);
}

struct ConsoleAnswerRow {
  const char* name;
  std::string typed;  // what one console read gives
  std::string out;    // after the prompt for unit 2
  std::string err;
  int status;
};

TEST(NamePrompt, ConsoleAnswersAreOneReadWithTheLineEndDropped) {
  const std::string too_long(200, 'n');  // more than the limit of 64, no line end
  const std::vector<ConsoleAnswerRow> rows = {
      {"an answer", "f2\r\n", "\r\n" + kRule + "\r\n" + kStop + "\r\n", "", 0},
      {"nothing typed", "", "",
       MainReport(75, "F6501: OPEN()", "standard input ended while a file name was awaited"), 1},
      {"longer than a name", too_long, "",
       MainReport(75, "F6416: OPEN(" + too_long.substr(0, 66) + ")", kNameTooLong), 1},
  };
  for (const ConsoleAnswerRow& row : rows) {
    MemoryPlatform platform;
    platform.AddFile("f1", "a\n");
    platform.AddFile("f2", "a\n");
    platform.stdin_is_device = true;
    platform.in = row.typed;
    const int status = RunProgram(platform, {"vellum", "f1"});
    EXPECT_EQ(platform.out,
              "File name missing or blank - please enter file name\r\nUNIT 2? " + row.out)
        << row.name;
    EXPECT_EQ(platform.err, row.err) << row.name;
    EXPECT_EQ(status, row.status) << row.name;
  }
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

}  // namespace
}  // namespace vellum::testing
