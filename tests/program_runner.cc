// Running vellum as a child process for whole-program tests.
#include "tests/program_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vellum::testing {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vellum-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a temporary folder");
  }
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream file(path_ / name, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

ProgramResult RunVellum(const TempFolder& folder, const std::vector<std::string>& args,
                        const std::string& stdout_path) {
  const std::filesystem::path out_path = folder.path() / ".stdout";
  const std::filesystem::path err_path = folder.path() / ".stderr";
  const std::string target = stdout_path.empty() ? out_path.string() : stdout_path;
  std::vector<std::string> argv_strings = {VELLUM_BINARY};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv_strings) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || ::chdir(folder.path().c_str()) != 0) {
      ::_exit(127);
    }
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ProgramResult result;
  int wait_status = 0;
  if (child < 0 || ::waitpid(child, &wait_status, 0) != child) {
    return result;
  }
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  result.out = stdout_path.empty() ? ReadFile(out_path) : "";
  result.err = ReadFile(err_path);
  std::filesystem::remove(out_path);
  std::filesystem::remove(err_path);
  return result;
}

std::string ListingOutput(const std::vector<std::string>& lines) {
  std::string bytes;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) {
      bytes += "\r\n";
    }
    bytes += lines[i];
  }
  if (!lines.empty()) {
    bytes += "\r\n";
  }
  bytes += "Stop - Program terminated.\r\n";
  if (!lines.empty()) {
    bytes += "\r\n";
  }
  return bytes;
}

}  // namespace vellum::testing
