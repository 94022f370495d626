// Files past every 32-bit offset, compared on the native platform with
// standard output sent to a file, so that every build runs it, the 32-bit
// one under an emulator included.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/run.h"
#include "io/platform/platform.h"
#include "io/platform/sandbox.h"
#include "tests/whole_runs.h"

namespace vellum::testing {
namespace {

namespace fs = std::filesystem;

// Runs `vellum args` in this process, its standard output going to `out`.
int RunInProcess(const std::vector<std::string>& args, const fs::path& out) {
  const int saved = ::dup(STDOUT_FILENO);
  const int file = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::dup2(file, STDOUT_FILENO);
  ::close(file);
  const int status = RunProgram(io::NativePlatform(), args);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  return status;
}

// Runs `vellum args` with its standard output going to `out`: in a fork of
// this process where the build confines the process a run runs in, and
// elsewhere in this process (under qemu-i386 such a fork never finished).
// The exit status, -1 when the fork did not exit.
int RunCapturingStdout(const std::vector<std::string>& args, const fs::path& out) {
  if (!io::ConfinesInThisBuild()) {
    return RunInProcess(args, out);
  }
  const pid_t child = ::fork();
  if (child == 0) {
    const int file = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(file, STDOUT_FILENO);
    ::close(file);
    ::_exit(RunProgram(io::NativePlatform(), args));
  }
  int wait_status = 0;
  if (child < 0 || ::waitpid(child, &wait_status, 0) != child || !WIFEXITED(wait_status)) {
    return -1;
  }
  return WEXITSTATUS(wait_status);
}

TEST(HugeFiles, LinesPastFourGibibytesCompareLikeAnyOthers) {
  // A hole of 4 GiB reads as one line of NULs; the lines after it lie past
  // every 32-bit offset, and the search and the listing move back over them.
  std::string pattern = (fs::temp_directory_path() / "vellum-huge-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path folder = pattern;
  {
    const std::ofstream created(folder / "big", std::ios::binary);
    fs::resize_file(folder / "big", std::uintmax_t{4} << 30);
    std::ofstream(folder / "big", std::ios::binary | std::ios::app) << "\nalpha\nbeta\n";
    std::ofstream(folder / "small", std::ios::binary) << "\nalpha\ngamma\n";
  }
  const int status = RunCapturingStdout(
      {"vellum", (folder / "big").string(), (folder / "small").string()}, folder / "out");
  std::ostringstream out;
  out << std::ifstream(folder / "out", std::ios::binary).rdbuf();
  fs::remove_all(folder);

  // Each NUL the comparison meets in the line is reported with the line,
  // one NUL fewer each time.
  std::vector<std::string> body;
  for (std::size_t blanked = 0; blanked < 300; ++blanked) {
    std::string bar(1, '|');
    bar.append(blanked, ' ').append(300 - blanked, '\0').push_back('|');
    body.push_back(bar);
  }
  EXPECT_EQ(
      out.str(),
      ListingOutput(Listing(Concat({body, kEofNotice, {"beta", kSeparator, "gamma", kRule}}))));
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace vellum::testing
