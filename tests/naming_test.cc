// Naming and opening the inputs, end to end: the name prompt answered from
// a file or a pipe, device words, the same-file check, and one test per
// open failure, each with its exact report and exit status.
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/program_runner.h"
#include "tests/whole_runs.h"

namespace vellum::testing {
namespace {

namespace fs = std::filesystem;

const std::string kSame = ListingOutput(Listing({}));

constexpr const char* kNotFound = "the file, or a directory on its path, does not exist";
constexpr const char* kRefused = "access to the file was refused, or it is a directory";
constexpr const char* kSameFile = "this file is already open as the other file of the comparison";
constexpr const char* kDevice = "a device cannot be rewound, so it cannot be compared";
constexpr const char* kExhausted = "standard input ended while a file name was awaited";
constexpr const char* kBadName = "the file system does not accept this name";
constexpr const char* kTooMany = "too many files are open";
constexpr const char* kTooLong = "the file name is longer than this system accepts";

std::string Prompt(int unit) {
  return "File name missing or blank - please enter file name\r\nUNIT " + std::to_string(unit) +
         "? ";
}

// The report of a failure of the main program at `statement` to open or
// rewind `name`.
std::string Report(int statement, const std::string& code_and_category, const std::string& name,
                   const std::string& message) {
  return MainReport(statement, code_and_category + name + ")", message);
}

// A folder holding two identical files a and b.
class Naming : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("a", "same\n");
    folder_.Write("b", "same\n");
  }
  ProgramResult Run(const std::vector<std::string>& args, const std::string& answers = "",
                    bool pipe = false) const {
    RunOptions options;
    options.stdin_bytes = answers;
    options.stdin_pipe = pipe;
    return RunVellum(folder_, args, options);
  }
  void ExpectFailure(const ProgramResult& result, const std::string& out,
                     const std::string& err) const {
    EXPECT_EQ(result.out, out);
    EXPECT_EQ(result.err, err);
    EXPECT_EQ(result.status, 1);
  }
  TempFolder folder_;
};

struct NamingRow {
  const char* name;
  std::vector<std::string> args;
  std::string answers;
  bool pipe;
  std::string prompts;  // the prompts written before the listing
};

TEST_F(Naming, NamesComeFromTheArgumentsAndThenFromThePrompt) {
  const std::vector<NamingRow> rows = {
      {"one argument, the answer from a file", {"a"}, "b\n", false, Prompt(2)},
      {"one argument, the answer from a pipe", {"a"}, "b\n", true, Prompt(2)},
      {"file1's prompt, then file2's", {}, "a\nb\n", true, Prompt(1) + Prompt(2)},
      {"an empty first argument", {"", "b"}, "a\n", false, Prompt(1)},
      {"a blank first argument: file2 is still argument 2", {"   ", "b"}, "a\n", false, Prompt(1)},
      {"arguments after the second ignored", {"a", "b", "no-such-file"}, "", false, ""},
      {"blank answers bring the prompt again",
       {"a"},
       "\n   \r\n  b  \n",
       false,
       Prompt(2) + Prompt(2) + Prompt(2)},
      {"a CR ends an answer and takes exactly one more byte",
       {},
       "a\rXb\r\n",
       true,
       Prompt(1) + Prompt(2)},
      {"an answer ended by the end of input", {"a"}, "b", false, Prompt(2)},
  };
  for (const NamingRow& row : rows) {
    const ProgramResult result = Run(row.args, row.answers, row.pipe);
    EXPECT_EQ(result.out, row.prompts + kSame) << row.name;
    EXPECT_EQ(result.err, "") << row.name;
    EXPECT_EQ(result.status, 0) << row.name;
  }
}

TEST_F(Naming, PromptForFile2ComesOnlyAfterFile1IsOpen) {
  ExpectFailure(Run({}, "missing\nb\n"), Prompt(1),
                Report(74, "F6416: OPEN(", "missing", kNotFound));
}

TEST_F(Naming, OnlyBlanksAreTrimmedFromNames) {
  ExpectFailure(Run({"a"}, "\tb\n"), Prompt(2), Report(75, "F6416: OPEN(", "\tb", kNotFound));
  ExpectFailure(Run({" a ", "\tb"}), "", Report(75, "F6416: OPEN(", "\tb", kNotFound));
}

TEST_F(Naming, ExhaustedInputFailsWith6501) {
  ExpectFailure(Run({}, ""), Prompt(1), Report(74, "F6501: OPEN(", "", kExhausted));
  ExpectFailure(Run({"a"}, "\n\n"), Prompt(2) + Prompt(2) + Prompt(2),
                Report(75, "F6501: OPEN(", "", kExhausted));
}

TEST_F(Naming, NullDeviceAsStandardInputIsExhausted) {
  RunOptions options;
  options.stdin_path = "/dev/null";
  ExpectFailure(RunVellum(folder_, {}, options), Prompt(1),
                Report(74, "F6501: OPEN(", "", kExhausted));
}

TEST_F(Naming, LineOfCtrlZEndsStandardInput) {
  ExpectFailure(Run({}, "a\n\x1a\nb\n", true), Prompt(1) + Prompt(2),
                Report(75, "F6501: OPEN(", "", kExhausted));
  // Inside a longer answer Ctrl-Z is part of the name, after a blank too.
  ExpectFailure(Run({"a"}, "b\x1a\n"), Prompt(2), Report(75, "F6416: OPEN(", "b\x1a", kNotFound));
  ExpectFailure(Run({"a"}, " \x1a\n", true), Prompt(2),
                Report(75, "F6416: OPEN(", "\x1a", kNotFound));
}

TEST_F(Naming, NameTooLongFailsWith6416WithoutBeingCut) {
  const std::string long_name(5000, 'n');
  ExpectFailure(Run({"a", long_name}), "", Report(75, "F6416: OPEN(", long_name, kTooLong));
  const ProgramResult answered = Run({"a"}, long_name + "\n", true);
  EXPECT_EQ(answered.out, Prompt(2));
  EXPECT_EQ(answered.err.rfind("\r\nvellum(75) : run-time error F6416: OPEN(nnnn", 0), 0U);
  EXPECT_NE(answered.err.find(kTooLong), std::string::npos);
  EXPECT_EQ(answered.status, 1);
  // Blanks inside an answer are part of the name: with as many blanks as
  // the limit, and with more than the limit alone.
  for (const std::size_t blanks : {std::size_t{4096}, std::size_t{5000}}) {
    const std::string inner = "a" + std::string(blanks, ' ') + "b";
    ExpectFailure(Run({"a"}, inner + "\n", true), Prompt(2),
                  Report(75, "F6416: OPEN(", inner, kTooLong));
  }
}

TEST_F(Naming, MissingDirectoryOnThePathFailsWith6416) {
  ExpectFailure(Run({"nodir/a", "b"}), "", Report(74, "F6416: OPEN(", "nodir/a", kNotFound));
  ExpectFailure(Run({"a/x", "b"}), "", Report(74, "F6416: OPEN(", "a/x", kNotFound));
}

TEST_F(Naming, LinkLoopsLongComponentsAndOptionLikeNamesSayWhyTheyFail) {
  fs::create_symlink("loop2", folder_.path() / "loop1");
  fs::create_symlink("loop1", folder_.path() / "loop2");
  ExpectFailure(Run({"loop1", "b"}), "",
                Report(74, "F6416: OPEN(", "loop1",
                       "too many symbolic links were met on the way to the file"));
  const std::string component(300, 'c');  // within the path limit, over a name's
  ExpectFailure(Run({"a", component}), "", Report(75, "F6416: OPEN(", component, kTooLong));
  ExpectFailure(Run({"--help", "b"}), "",
                Report(74, "F6416: OPEN(", "--help",
                       std::string(kNotFound) + " (vellum takes no options: vellum FILE1 FILE2)"));
}

TEST_F(Naming, DirectoryFailsWith6414) {
  fs::create_directory(folder_.path() / "dir");
  ExpectFailure(Run({"a", "dir"}), "", Report(75, "F6414: OPEN(", "dir", kRefused));
}

TEST_F(Naming, UnreadableFileFailsWith6414) {
  // As root, permission bits deny nothing: the program then runs as nobody,
  // who may pass through the folder but not read the file.
  fs::permissions(folder_.path(),
                  fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  fs::permissions(folder_.path() / "a", fs::perms::none);
  RunOptions options;
  options.unprivileged = true;
  const ProgramResult result = RunVellum(folder_, {"a", "b"}, options);
  if (result.status == 127) {
    GTEST_SKIP() << "the program cannot be run as an unprivileged user here";
  }
  ExpectFailure(result, "", Report(74, "F6414: OPEN(", "a", kRefused));
}

TEST_F(Naming, TooManyOpenFilesFailsWith6417) {
  if (SanitizedBuild()) {
    GTEST_SKIP() << "the sanitizer runtime needs descriptors of its own";
  }
  // Descriptors 0 to 2 and file1 fill a limit of four.
  RunOptions options;
  options.max_files = 4;
  ExpectFailure(RunVellum(folder_, {"a", "b"}, options), "",
                Report(75, "F6417: OPEN(", "b", kTooMany));
}

TEST_F(Naming, NameWithANulByteFailsWith6412) {
  const std::string name("a\0b", 3);
  ExpectFailure(Run({"a"}, name + "\n", true), Prompt(2),
                Report(75, "F6412: OPEN(", name, kBadName));
}

TEST_F(Naming, SameFileTwiceFailsTheSecondOpenWith6413) {
  fs::create_hard_link(folder_.path() / "a", folder_.path() / "hard");
  fs::create_symlink("a", folder_.path() / "soft");
  fs::create_directory(folder_.path() / "sub");
  for (const std::string other : {"a", "./a", "sub/../a", "hard", "soft"}) {
    ExpectFailure(Run({"a", other}), "", Report(75, "F6413: OPEN(", other, kSameFile));
  }
}

TEST_F(Naming, DeviceWordsFailAtTheRewindWith6403) {
  struct Row {
    std::vector<std::string> args;
    int statement;
    std::string shown;
  };
  const std::vector<Row> rows = {
      {{"CON", "b"}, 77, "CON"},     {{"a", "nul"}, 78, "nul"},       {{"con.txt", "b"}, 77, "con"},
      {{"a", "PRN.any"}, 78, "PRN"}, {{"user", "b"}, 77, "CON"},      {{"Aux", "b"}, 77, "Aux"},
      {{"NUL", "nul"}, 77, "NUL"},   {{"com3.dat", "b"}, 77, "com3"},
  };
  for (const Row& row : rows) {
    ExpectFailure(Run(row.args), "", Report(row.statement, "F6403: REWIND(", row.shown, kDevice));
  }
}

TEST_F(Naming, DeviceNamedTwiceFailsTheSecondOpenWith6413) {
  ExpectFailure(Run({"CON", "con.log"}), "", Report(75, "F6413: OPEN(", "con", kSameFile));
}

TEST_F(Naming, ExtensionsStartingWithELOrUNameFiles) {
  for (const std::string name : {"lpt1.txt", "err.log", "line.dat", "user.x"}) {
    ExpectFailure(Run({name, "b"}), "", Report(74, "F6416: OPEN(", name, kNotFound));
  }
}

TEST_F(Naming, FifoAndCharacterDevicesAreDeviceUnitsNeverOpened) {
  const fs::path fifo = folder_.path() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int watch = ::inotify_init1(IN_NONBLOCK);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, fifo.c_str(), IN_OPEN), 0);
  ExpectFailure(Run({"fifo", "b"}), "", Report(77, "F6403: REWIND(", "fifo", kDevice));
  std::array<char, 4096> events{};
  EXPECT_LE(::read(watch, events.data(), events.size()), 0) << "the FIFO was opened";
  ::close(watch);
  ExpectFailure(Run({"a", "/dev/zero"}), "", Report(78, "F6403: REWIND(", "/dev/zero", kDevice));

  const std::string socket_path = (folder_.path() / "sock").string();
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socket_path.c_str(), sizeof(address.sun_path) - 1);
  if (fd >= 0 && socket_path.size() < sizeof(address.sun_path) &&
      ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
    ExpectFailure(Run({"sock", "b"}), "", Report(77, "F6403: REWIND(", "sock", kDevice));
  }
  if (fd >= 0) {
    ::close(fd);
  }
}

}  // namespace
}  // namespace vellum::testing
