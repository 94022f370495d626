// Smoke test on real pairs of older and newer file versions: every run ends
// with status 0 and nothing on standard error, and its listing holds only
// lines of the two files, the fixed texts and the rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/listing_lines.h"
#include "tests/program_runner.h"

namespace vellum::testing {
namespace {

namespace fs = std::filesystem;

TEST(Corpus, EveryRealPairEndsCleanlyAndListsOnlyItsOwnLines) {
  const fs::path corpus = VELLUM_CORPUS;
  int pairs = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
    if (!fs::exists(entry.path() / "file1") || !fs::exists(entry.path() / "file2")) {
      continue;
    }
    ++pairs;
    const std::string name = entry.path().filename().string();
    TempFolder folder;
    const std::string file1 = ReadFile(entry.path() / "file1");
    const std::string file2 = ReadFile(entry.path() / "file2");
    folder.Write("file1", file1);
    folder.Write("file2", file2);
    const ProgramResult result = RunVellum(folder, {"file1", "file2"});
    EXPECT_EQ(result.status, 0) << name;
    EXPECT_EQ(result.err, "") << name;

    std::set<std::string> allowed;
    AddListableLines(file1, allowed);
    AddListableLines(file2, allowed);
    const std::vector<std::string> lines = SplitConsoleLines(result.out);
    ASSERT_GE(lines.size(), 4U) << name;
    EXPECT_EQ(lines[1], std::string(79, '-')) << name << ": opening rule";
    EXPECT_EQ(lines[lines.size() - 3], "Stop - Program terminated.") << name;
    for (const std::string& line : lines) {
      EXPECT_TRUE(allowed.count(line) == 1 || IsListingText(line))
          << name << ": unexpected line '" << line << "'";
    }
  }
  EXPECT_EQ(pairs, 44) << "pairs found in " << corpus;
}

}  // namespace
}  // namespace vellum::testing
