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
  EXPECT_EQ(platform.confined_after_reads, -1) << "confined though file2 never opened";
}

TEST(FailureReport, OpensTheSystemRefusesSayWhy) {
  struct Row {
    io::OpenStatus status;
    std::string failure;
    std::string message;
  };
  const std::vector<Row> rows = {
      {io::OpenStatus::kNoSuchDevice, "F6412: OPEN(f2)", "there is no such device"},
      {io::OpenStatus::kBadName, "F6412: OPEN(f2)", "the file system does not accept this name"},
  };
  for (const Row& row : rows) {
    MemoryPlatform platform;
    platform.AddFile("f1", "a\n");
    MemoryFileSetup setup = FileBytes("a\n");
    setup.open_status = row.status;
    platform.AddFile("f2", setup);
    const Outcome outcome = RunWith(platform, Blocks1024());
    EXPECT_EQ(outcome.err, MainReport(75, row.failure, row.message)) << row.message;
    EXPECT_EQ(outcome.status, 1);
  }
}

TEST(Confinement, ComesOnceBothInputsAreOpenBeforeAnyRead) {
  MemoryPlatform platform;
  platform.AddFile("f1", "a\nb\n");
  platform.AddFile("f2", "a\nc\n");
  const Outcome outcome = RunWith(platform, Blocks1024());
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(platform.confined_after_reads, 0);
  EXPECT_GT(platform.reads, 0);
}

TEST(FailureReport, FilesAreKnownByWhatWasOpenedNotByTheirNames) {
  // As file2 is opened, another file is renamed over its name: standard
  // output's file, or a link to file1.
  const std::string to_stdout = "this file receives the standard output, so it cannot be compared";
  const std::string to_file1 = "this file is already open as the other file of the comparison";
  for (const bool stdout_file : {true, false}) {
    MemoryPlatform platform;
    MemoryFileSetup file1 = FileBytes("a\n");
    file1.index = 7;
    platform.AddFile("f1", file1);
    platform.AddFile("f2", "a\n");
    MemoryFileSetup other = FileBytes("listing so far\n");
    other.index = stdout_file ? 9 : 7;
    platform.AddFile("other", other);
    platform.stdout_identity = io::FileIdentity{1, 9};
    platform.before_open = [&](const std::string& name) {
      if (name == "f2") {
        platform.Rename("other", "f2");
      }
    };
    const Outcome outcome = RunWith(platform, Blocks1024());
    EXPECT_EQ(outcome.err, MainReport(75, "F6413: OPEN(f2)", stdout_file ? to_stdout : to_file1));
    EXPECT_EQ(outcome.status, 1);
  }
}

struct NameRow {
  const char* name;
  std::vector<std::string> args;  // after argument 0
  std::string typed;              // standard input
  std::string out;                // after the prompts
  std::string err;
  int status;
  int prompts = 0;  // for unit 2
};

TEST(NamePrompt, OnlyTheNameWithoutItsBlanksCountsAgainstTheLimit) {
  // The memory platform takes names of up to 64 bytes.
  const std::string blanks(5000, ' ');
  const std::string at_limit(64, 'n');
  const std::string listing = "\r\n" + kRule + "\r\n" + kStop + "\r\n";
  const std::string exhausted =
      MainReport(75, "F6501: OPEN()", "standard input ended while a file name was awaited");
  const auto not_found = [](const std::string& name) {
    return MainReport(75, "F6416: OPEN(" + name + ")",
                      "the file, or a directory on its path, does not exist");
  };
  const auto too_long = [](const std::string& name) {
    return MainReport(75, "F6416: OPEN(" + name + ")", kNameTooLong);
  };
  const std::vector<NameRow> rows = {
      {"an answer", {"f1"}, "f2\r\n", listing, "", 0, 1},
      {"nothing typed", {"f1"}, "", "", exhausted, 1, 1},
      {"an answer at the limit", {"f1"}, at_limit + "\n", "", not_found(at_limit), 1, 1},
      {"an answer over it", {"f1"}, at_limit + "nn\n", "", too_long(at_limit + "n"), 1, 1},
      {"an answer in blanks", {"f1"}, blanks + "f2" + blanks + "\n", listing, "", 0, 1},
      {"a blank answer, then a name", {"f1"}, blanks + "\nf2\n", listing, "", 0, 2},
      {"an argument at the limit", {"f1", at_limit}, "", "", not_found(at_limit), 1},
      {"an argument over it", {"f1", at_limit + "n"}, "", "", too_long(at_limit + "n"), 1},
      {"an argument in blanks", {"f1", blanks + "f2" + blanks}, "", listing, "", 0},
      {"a blank argument", {"f1", blanks}, "f2\n", listing, "", 0, 1},
  };
  for (const bool console : {false, true}) {
    for (const NameRow& row : rows) {
      MemoryPlatform platform;
      platform.AddFile("f1", "a\n");
      platform.AddFile("f2", "a\n");
      platform.stdin_is_device = console;
      platform.in = row.typed;
      std::vector<std::string> args = {"vellum"};
      args.insert(args.end(), row.args.begin(), row.args.end());
      const int status = RunProgram(platform, args);
      std::string prompts;
      for (int n = 0; n < row.prompts; ++n) {
        prompts += "File name missing or blank - please enter file name\r\nUNIT 2? ";
      }
      const std::string where = std::string(row.name) + (console ? ", at a console" : "");
      EXPECT_EQ(platform.out, prompts + row.out) << where;
      EXPECT_EQ(platform.err, row.err) << where;
      EXPECT_EQ(status, row.status) << where;
    }
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
