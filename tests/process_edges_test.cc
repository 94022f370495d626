// The edges of the process, tried as a hostile caller would: standard
// descriptors closed or read-only, the listing sent into an input, a device
// that fills at the last byte, a limit on memory, and an input file shrunk
// or replaced in mid-run. Each runs the built program as a
// child process.
#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/program_runner.h"
#include "tests/whole_runs.h"

namespace vellum::testing {
namespace {

const std::string kIdentical = ListingOutput(Listing({}));

// A failed standard output is reported at the record that failed, the
// opening rule, and again, without location, when the exit-time cleanup
// writes the owed line end.
std::string WriteFailedTwice(const std::string& what, const std::string& message) {
  return MainReport(114, what, message) + "\r\nrun-time error " + what + "\r\n- " + message +
         "\r\n";
}

const std::string kRefused =
    WriteFailedTwice("F6421: WRITE(CON)", "standard output refused the write");

struct DescriptorRow {
  const char* name;
  std::vector<std::string> args;
  RunOptions::Mode stdout_mode;
  std::vector<int> closed;
  std::string out;  // what reaches the captured standard output
  std::string err;
};

TEST(StandardDescriptors, ClosedOrReadOnlyOnesNeitherLoseOutputNorTakeInputs) {
  const std::string prompt2 = "File name missing or blank - please enter file name\r\nUNIT 2? ";
  const std::vector<DescriptorRow> rows = {
      {"standard output closed", {"a", "b"}, RunOptions::Mode::kWrite, {1}, "", kRefused},
      {"standard output read-only", {"a", "b"}, RunOptions::Mode::kReadOnly, {}, "", kRefused},
      // Unit 1 must not become standard input and answer the prompt itself.
      {"standard input closed",
       {"a"},
       RunOptions::Mode::kWrite,
       {0},
       prompt2,
       MainReport(75, "F6501: OPEN()", "standard input ended while a file name was awaited")},
  };
  // The same with no null device to fill a closed descriptor, as in a
  // chroot or a minimal container, where the system lets a child have one.
  for (const bool without_dev : {false, true}) {
    for (const DescriptorRow& row : rows) {
      TempFolder folder;
      folder.Write("a", "b\n");  // names file b, should it be read as an answer
      folder.Write("b", "b\n");
      folder.Write("out", "");
      RunOptions options;
      options.stdout_path = (folder.path() / "out").string();
      options.stdout_mode = row.stdout_mode;
      options.closed = row.closed;
      options.without_dev = without_dev && !Emulated();
      const ProgramResult result = RunVellum(folder, row.args, options);
      if (result.status == kNoPrivateDev) {
        continue;
      }
      const std::string name = std::string(row.name) + (options.without_dev ? ", no /dev" : "");
      EXPECT_EQ(ReadFile(folder.path() / "out"), row.out) << name;
      EXPECT_EQ(result.err, row.err) << name;
      EXPECT_EQ(result.status, 1) << name;
    }
  }
}

TEST(StandardDescriptors, ListingIntoAnInputFailsItsOpenBeforeAnythingIsWritten) {
  // Listings longer than the output buffer, which the run would otherwise
  // read back without end.
  std::string lines1;
  std::string lines2;
  for (int i = 0; i < 20000; ++i) {
    const std::string number = std::to_string(i);
    lines1.append("one ").append(number).append("\n");
    lines2.append("two ").append(number).append("\n");
  }
  for (const auto mode : {RunOptions::Mode::kAppend, RunOptions::Mode::kWrite}) {
    for (const char* input : {"s1", "s2"}) {
      TempFolder folder;
      folder.Write("s1", lines1);
      folder.Write("s2", lines2);
      const std::string before = ReadFile(folder.path() / input);
      RunOptions options;
      options.stdout_path = (folder.path() / input).string();
      options.stdout_mode = mode;
      const ProgramResult result = RunVellum(folder, {"s1", "s2"}, options);
      const std::string name = input;
      EXPECT_EQ(result.err, MainReport(name == "s1" ? 74 : 75, "F6413: OPEN(" + name + ")",
                                       "this file receives the standard output, so it cannot be "
                                       "compared"))
          << name;
      EXPECT_EQ(result.status, 1) << name;
      if (mode == RunOptions::Mode::kAppend) {
        EXPECT_EQ(ReadFile(folder.path() / input), before) << name << ": nothing written";
      }
    }
  }
}

struct LostOutputRow {
  const char* name;
  RunOptions::Lost lost;
  bool ignore_sigpipe;
  std::string err;
  int status;
  int signal;
};

TEST(LostOutput, EveryWayOfLosingOutputFailsTheRun) {
  const std::vector<LostOutputRow> rows = {
      {"reader gone, SIGPIPE ignored", RunOptions::Lost::kPipeReaderGone, true,
       WriteFailedTwice("F6421: WRITE(CON)",
                        "the reader of standard output has gone (its pipe was closed)"),
       1, 0},
      // As every tool does, the process ends by the signal.
      {"reader gone", RunOptions::Lost::kPipeReaderGone, false, "", -1, SIGPIPE},
      {"terminal hung up", RunOptions::Lost::kTerminalHungUp, false,
       WriteFailedTwice("F6421: WRITE(CON)",
                        "an input/output error on the device that receives standard output"),
       1, 0},
  };
  for (const LostOutputRow& row : rows) {
    TempFolder folder;
    folder.Write("a", "x\n");
    folder.Write("b", "y\n");
    RunOptions options;
    options.stdout_lost = row.lost;
    options.ignore_sigpipe = row.ignore_sigpipe;
    const ProgramResult result = RunVellum(folder, {"a", "b"}, options);
    EXPECT_EQ(result.err, row.err) << row.name;
    EXPECT_EQ(result.status, row.status) << row.name;
    EXPECT_EQ(result.signal, row.signal) << row.name;
  }
}

TEST(FullDevice, FullOutputDeviceEndsTheRunWithAWriteFailure) {
  if (!std::filesystem::exists("/dev/full")) {
    GTEST_SKIP() << "no /dev/full here";
  }
  TempFolder folder;
  folder.Write("a", "x\n");
  folder.Write("b", "x\n");
  RunOptions options;
  options.stdout_path = "/dev/full";
  const ProgramResult result = RunVellum(folder, {"a", "b"}, options);
  // The listing is written in blocks, and still reported at the record
  // whose bytes were lost first.
  EXPECT_EQ(result.err,
            WriteFailedTwice("F6422: WRITE(CON)",
                             "no space left on the device that receives standard output"));
  EXPECT_EQ(result.status, 1);
}

TEST(FullDevice, RefusedFinalLineEndIsAFailedRun) {
  // The device takes all but the last two bytes, the owed CR LF that the
  // exit-time cleanup writes.
  TempFolder folder;
  folder.Write("a", "x\n");
  folder.Write("b", "x\n");
  RunOptions options;
  options.stdout_path = (folder.path() / "out").string();
  options.file_size = static_cast<long>(kIdentical.size()) - 2;
  const ProgramResult result = RunVellum(folder, {"a", "b"}, options);
  EXPECT_EQ(ReadFile(folder.path() / "out"), kIdentical.substr(0, kIdentical.size() - 2));
  // The stop left the main program's frame registered. The limit holds
  // the file that captures standard error to as many bytes.
  EXPECT_EQ(result.err, MainReport(157, "F6422: WRITE(CON)",
                                   "no space left on the device that receives standard output")
                            .substr(0, static_cast<std::size_t>(options.file_size)));
  EXPECT_EQ(result.status, 1);
}

TEST(MemoryLimit, RunEitherCompletesOrFailsToStartWithNothingWritten) {
  if (SanitizedBuild()) {
    GTEST_SKIP() << "the sanitizers' runtime reserves more address space than any limit here";
  }
  if (Emulated()) {
    GTEST_SKIP() << "the emulator reserves the address space of the whole emulated process";
  }
  // Nothing in common for 30,000 lines: the search goes deep, and the block
  // is listed once it ends.
  std::string file1 = "same\n";
  std::string file2 = "same\n";
  for (int i = 0; i < 30000; ++i) {
    const std::string number = std::to_string(i);
    file1.append("a").append(number).append("\n");
    file2.append("b").append(number).append("\n");
  }
  TempFolder folder;
  folder.Write("f1", file1);
  folder.Write("f2", file2);
  const std::string full = RunVellum(folder, {"f1", "f2"}).out;
  ASSERT_GT(full.size(), 400'000U);
  int completed = 0;
  int refused = 0;
  // Every megabyte, then every 16 KB below the first limit that let a run
  // complete, where start-up runs short at each of its steps in turn.
  constexpr long kMegabyte = 1024L * 1024;
  constexpr long kFineStep = 16L * 1024;
  long first_completed = 0;
  const auto run_under = [&](long limit) {
    RunOptions options;
    options.address_space = limit;
    const ProgramResult result = RunVellum(folder, {"f1", "f2"}, options);
    if (result.status == 127 && result.err.find("error while loading") != std::string::npos) {
      return;  // the system could not even load the program
    }
    if (result.status == 0) {
      ++completed;
      first_completed = first_completed == 0 ? limit : std::min(first_completed, limit);
      EXPECT_EQ(result.out, full) << limit;
      EXPECT_EQ(result.err, "") << limit;
    } else {
      ++refused;
      EXPECT_EQ(result.status, 255) << limit;
      EXPECT_EQ(result.signal, 0) << limit;
      EXPECT_EQ(result.out, "") << limit;
      EXPECT_EQ(result.err, "\r\nruntime error R6016\r\n- not enough space\r\n") << limit;
    }
  };
  for (long limit = 2 * kMegabyte; limit <= 40 * kMegabyte; limit += kMegabyte) {
    run_under(limit);
  }
  for (long limit = std::max(first_completed - 3 * kMegabyte, kMegabyte); limit < first_completed;
       limit += kFineStep) {
    run_under(limit);
  }
  // And every 8 KB over the first 480 KB in which the program starts at
  // all (the loader, or a static program's C library, dies before main
  // below), where the C++ runtime may not even have its emergency pool. A
  // coverage build's runtime crashes there as it writes its counts at exit.
  constexpr long kFirstStep = 8L * 1024;
  long start = VELLUM_COVERAGE ? 40 * kMegabyte : kMegabyte;
  for (; start < 40 * kMegabyte; start += kFirstStep) {
    RunOptions options;
    options.address_space = start;
    const ProgramResult result = RunVellum(folder, {"f1", "f2"}, options);
    const bool died_before_main =
        result.status == 127 || (result.signal != 0 && result.out.empty() && result.err.empty());
    if (!died_before_main) {
      break;
    }
  }
  for (long limit = start; start < 40 * kMegabyte && limit < start + 480L * 1024;
       limit += kFirstStep) {
    run_under(limit);
  }
  EXPECT_GT(completed, 0);
  EXPECT_GT(refused, 0);
}

struct ChangedFileRow {
  const char* name;
  // Changes f1 in `folder` while the run waits on its output.
  std::function<void(const std::filesystem::path& folder)> change;
  std::size_t kept;  // bytes of the original f1 that the run reads
  RunOptions::Bus sigbus = RunOptions::Bus::kDefault;
};

TEST(ChangedInput, FileShrunkOrReplacedUnderTheRunIsListedAsItWasRead) {
  // Files of 18 MiB, as large as any that were once mapped; the listing of
  // the first 8,000 lines fills the output pipe long before the run passes
  // 1 MiB. A file that shrinks under a mapping faults with SIGBUS, which a
  // parent may have blocked or ignored: whatever it left, nothing is lost.
  constexpr std::size_t kLines = std::size_t{18} * 65536;
  constexpr std::size_t kOneMiB = std::size_t{1} << 20;
  const std::string file1 = SixteenByteLines(kLines, 8000);
  const std::string file2 = SixteenByteLines(kLines, 0);
  const std::vector<ChangedFileRow> rows = {
      {"shrunk to 1 MiB, inside the first window mapped",
       [](const std::filesystem::path& folder) {
         std::filesystem::resize_file(folder / "f1", kOneMiB);
       },
       kOneMiB},
      {"shrunk to 1 MiB and 5 bytes, in mid-page",
       [](const std::filesystem::path& folder) {
         std::filesystem::resize_file(folder / "f1", kOneMiB + 5);
       },
       kOneMiB + 5},
      {"shrunk in mid-page, SIGBUS blocked by the parent",
       [](const std::filesystem::path& folder) {
         std::filesystem::resize_file(folder / "f1", kOneMiB + 5);
       },
       kOneMiB + 5, RunOptions::Bus::kBlocked},
      {"shrunk to 1 MiB, SIGBUS ignored by the parent",
       [](const std::filesystem::path& folder) {
         std::filesystem::resize_file(folder / "f1", kOneMiB);
       },
       kOneMiB, RunOptions::Bus::kIgnored},
      {"replaced by another file",
       [](const std::filesystem::path& folder) {
         std::filesystem::rename(folder / "other", folder / "f1");
       },
       file1.size()},
  };
  for (const ChangedFileRow& row : rows) {
    TempFolder folder;
    folder.Write("f1", file1);
    folder.Write("f2", file2);
    folder.Write("other", file2);
    RunOptions options;
    options.while_output_waits = [&](int /*pid*/) { row.change(folder.path()); };
    options.sigbus = row.sigbus;
    const ProgramResult got = RunVellum(folder, {"f1", "f2"}, options);
    folder.Write("f1", file1.substr(0, row.kept));
    const ProgramResult expected = RunVellum(folder, {"f1", "f2"});
    EXPECT_EQ(got.signal, 0) << row.name;
    EXPECT_EQ(got.status, expected.status) << row.name;
    EXPECT_EQ(got.err, expected.err) << row.name;
    EXPECT_TRUE(got.out == expected.out) << row.name << ": " << got.out.size() << " bytes listed, "
                                         << expected.out.size() << " expected";
  }
}

}  // namespace
}  // namespace vellum::testing
