// Inputs that users have and that a comparison must survive: files that
// change while they are compared, huge and binary lines, empty files and
// odd names. Each run must end with a listing or a failure report, never a
// crash, a hang or a lost difference.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/run.h"
#include "tests/memory_platform.h"
#include "tests/program_runner.h"
#include "tests/whole_runs.h"

namespace vellum::testing {
namespace {

std::string NumberedLines(int count, const std::string& prefix) {
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    bytes.append(prefix).append(std::to_string(i)).append("\n");
  }
  return bytes;
}

TEST(ChangingFile, ShrinkingOrGrowingWhileComparedEndsCleanly) {
  const std::string file1 = NumberedLines(400, "line ");
  std::string file2 = file1;
  file2.replace(file2.find("line 50\n"), 8, "LINE 50\n");
  file2.replace(file2.find("line 300\n"), 9, "");
  const std::vector<std::function<void(std::string&)>> changes = {
      [](std::string& bytes) { bytes.resize(bytes.size() / 2); },
      [](std::string& bytes) { bytes.clear(); },
      [](std::string& bytes) { bytes += NumberedLines(300, "more "); },
      [](std::string& bytes) { bytes.replace(0, 100, std::string(100, '\0')); },
  };
  for (std::size_t change = 0; change < changes.size(); ++change) {
    for (std::int64_t after = 0; after < 40; ++after) {
      for (const bool second : {false, true}) {
        MemoryPlatform platform;
        MemoryFileSetup setup = FileBytes(second ? file2 : file1);
        setup.change_after_reads = after;
        setup.change = changes[change];
        platform.AddFile("f1", second ? FileBytes(file1) : setup);
        platform.AddFile("f2", second ? setup : FileBytes(file2));
        RunSettings settings;
        settings.read_block = 256;
        const int status = RunProgram(platform, {"vellum", "f1", "f2"}, settings);
        EXPECT_EQ(status, 0) << "change " << change << " after " << after << " reads";
        EXPECT_EQ(platform.err, "");
        EXPECT_NE(platform.out.find("Stop - Program terminated.\r\n"), std::string::npos);
      }
    }
  }
}

TEST(ShortReads, TheBuiltProgramListsWhatThePlainRunLists) {
#ifndef VELLUM_SHORT_READS_PRELOAD
  GTEST_SKIP() << "the program is linked statically or sanitized: no library can be put "
                  "under its reads (the dynamic preset runs this)";
#else
  TempFolder folder;
  folder.Write("old", SixteenByteLines(3000, 60));
  folder.Write("new", SixteenByteLines(3000, 0));
  folder.Write("same", SixteenByteLines(3000, 0));
  for (const std::vector<std::string>& pair :
       {std::vector<std::string>{"old", "new"}, std::vector<std::string>{"new", "same"}}) {
    const ProgramResult plain = RunVellum(folder, pair);
    ASSERT_EQ(plain.status, 0);
    for (const char* cap : {"1", "7", "100", "4000", "65536", "100000", "131072"}) {
      RunOptions options;
      options.environment = {{"LD_PRELOAD", VELLUM_SHORT_READS_PRELOAD}, {"VELLUM_READ_CAP", cap}};
      const ProgramResult got = RunVellum(folder, pair, options);
      EXPECT_TRUE(got.out == plain.out) << pair[0] << " at most " << cap << " bytes a read";
      EXPECT_EQ(got.err, plain.err) << cap;
      EXPECT_EQ(got.status, plain.status) << cap;
    }
  }
#endif
}

TEST(HugeLines, TenMegabyteSingleLineIsReadInFixedMemory) {
  TempFolder folder;
  const std::string line(std::size_t{10'000'000}, 'x');
  folder.Write("a", line);
  folder.Write("b", line + "\n");
  folder.Write("c", std::string(24, 'x') + "y" + line);
  const ProgramResult same = RunVellum(folder, {"a", "b"});
  EXPECT_EQ(same.out, ListingOutput({"", kRule}));
  EXPECT_EQ(same.status, 0);
  // Only the first 300 columns are read, and only those are listed.
  const ProgramResult differ = RunVellum(folder, {"a", "c"});
  EXPECT_EQ(differ.status, 0);
  EXPECT_NE(differ.out.find("\r\n" + std::string(300, 'x') + "\r\n"), std::string::npos);
  EXPECT_NE(differ.out.find("\r\n" + std::string(24, 'x') + "y" + std::string(275, 'x') + "\r\n"),
            std::string::npos);
}

TEST(BinaryFiles, NulCrAndHighBytesEndInAListing) {
  std::mt19937 random(3);
  const std::string alphabet("\0\r\n\xff\x80 AC!", 9);
  std::string binary1;
  std::string binary2;
  for (int i = 0; i < 200000; ++i) {
    binary1 += alphabet[random() % alphabet.size()];
    binary2 += alphabet[random() % alphabet.size()];
  }
  TempFolder folder;
  folder.Write("a", binary1);
  folder.Write("b", binary2);
  const ProgramResult result = RunVellum(folder, {"a", "b"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  // NULs met by the comparison are reported between bars.
  EXPECT_NE(result.out.find("\r\n|"), std::string::npos);
  EXPECT_EQ(result.out.substr(result.out.size() - 32), "\r\nStop - Program terminated.\r\n\r\n");
}

TEST(OddNames, BlanksTabsNonAsciiAndLeadingDashesAreNames) {
  TempFolder folder;
  const std::vector<std::string> names = {"with blank", "tab\there", "na\xC3\xAFve-\xC3\xBC.txt",
                                          "-dash",      "--",        "\xFF\xFE"};
  for (const std::string& name : names) {
    folder.Write(name, "one\ntwo\nend\n");
  }
  folder.Write("other", "one\nTWO\nend\n");
  for (const std::string& name : names) {
    const ProgramResult result = RunVellum(folder, {name, "other"});
    EXPECT_EQ(result.out, ListingOutput({"", kRule, "two", kSeparator, "TWO", kRule})) << name;
    EXPECT_EQ(result.status, 0) << name;
  }
  // A report shows a name's bytes as they are.
  const ProgramResult missing = RunVellum(folder, {"other", "gon\xC3\xA9"});
  EXPECT_NE(missing.err.find("F6416: OPEN(gon\xC3\xA9)\r\n"), std::string::npos);
  EXPECT_EQ(missing.status, 1);
}

}  // namespace
}  // namespace vellum::testing
