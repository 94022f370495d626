// Running vellum as a child process for whole-program tests.
#include "tests/program_runner.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace vellum::testing {
namespace {

constexpr int kExecFailed = 127;
constexpr uid_t kNobody = 65534;
constexpr int kDescriptorsToClose = 1024;

// A descriptor that loses what is written to it as `lost` says, or `out`.
int LosingOutput(RunOptions::Lost lost, int out) {
  if (lost == RunOptions::Lost::kPipeReaderGone) {
    std::array<int, 2> ends = {-1, -1};
    if (::pipe(ends.data()) != 0) {
      ::_exit(kExecFailed);
    }
    ::close(ends[0]);
    return ends[1];
  }
  if (lost == RunOptions::Lost::kTerminalHungUp) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
      ::_exit(kExecFailed);
    }
    const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ::close(master);  // the other side hangs up
    if (terminal < 0) {
      ::_exit(kExecFailed);
    }
    return terminal;
  }
  return out;
}

// Gives the process a mount namespace of its own in which /dev is an empty
// file system; as root, or in a user namespace where the system allows one.
bool WithoutDev() {
  if (::unshare(CLONE_NEWNS) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
    return false;
  }
  return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         ::mount("none", "/dev", "tmpfs", 0, nullptr) == 0 && ::access("/dev/null", F_OK) != 0;
}

}  // namespace

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
                        const RunOptions& options) {
  const std::filesystem::path out_path = folder.path() / ".stdout";
  const std::filesystem::path err_path = folder.path() / ".stderr";
  const std::filesystem::path in_path = folder.path() / ".stdin";
  const std::string target = options.stdout_path.empty() ? out_path.string() : options.stdout_path;
  std::string source = "/dev/null";
  if (!options.stdin_path.empty()) {
    source = options.stdin_path;
  } else if (!options.stdin_pipe && !options.stdin_bytes.empty()) {
    folder.Write(".stdin", options.stdin_bytes);
    source = in_path.string();
  }
  // Under an emulator, the emulator's words come first.
  std::vector<std::string> argv_strings;
  std::istringstream emulator(VELLUM_EMULATOR);
  for (std::string word; emulator >> word;) {
    argv_strings.push_back(word);
  }
  std::string program = VELLUM_BINARY;
  // The user nobody may not reach the build folder; give it a copy, and a
  // folder of its own where a coverage build writes its counts.
  const std::filesystem::path counts = folder.path() / ".coverage";
  if (options.unprivileged && ::geteuid() == 0) {
    std::filesystem::create_directory(counts);
    std::filesystem::permissions(counts, std::filesystem::perms::all);
    program = (folder.path() / ".vellum").string();
    std::filesystem::copy_file(VELLUM_BINARY, program,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(
        program, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                     std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                     std::filesystem::perms::others_exec);
  }
  argv_strings.push_back(program);
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  argv.reserve(argv_strings.size() + 1);
  for (std::string& arg : argv_strings) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);

  std::array<int, 2> pipe_fds = {-1, -1};
  if (options.stdin_pipe && ::pipe(pipe_fds.data()) != 0) {
    return {};
  }
  std::array<int, 2> out_fds = {-1, -1};
  if (options.while_output_waits && ::pipe(out_fds.data()) != 0) {
    return {};
  }
  const pid_t child = ::fork();
  if (child == 0) {
    const int in = options.stdin_pipe ? pipe_fds[0] : ::open(source.c_str(), O_RDONLY);
    int out_flags = O_WRONLY | O_CREAT | O_TRUNC;
    if (options.stdout_mode == RunOptions::Mode::kAppend) {
      out_flags = O_WRONLY | O_APPEND;
    } else if (options.stdout_mode == RunOptions::Mode::kReadOnly) {
      out_flags = O_RDONLY;
    }
    const int out = ::open(target.c_str(), out_flags, 0644);
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || ::chdir(folder.path().c_str()) != 0) {
      ::_exit(kExecFailed);
    }
    ::dup2(in, STDIN_FILENO);
    ::dup2(out_fds[1] >= 0 ? out_fds[1] : LosingOutput(options.stdout_lost, out), STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    if (options.without_dev && !WithoutDev()) {
      ::_exit(kNoPrivateDev);
    }
    for (const auto& [name, value] : options.environment) {
      ::setenv(name.c_str(), value.c_str(), 1);
    }
    if (options.stdout_nonblocking) {
      ::fcntl(STDOUT_FILENO, F_SETFL, ::fcntl(STDOUT_FILENO, F_GETFL) | O_NONBLOCK);
    }
    ::signal(SIGPIPE, options.ignore_sigpipe ? SIG_IGN : SIG_DFL);
    ::signal(SIGBUS, options.sigbus == RunOptions::Bus::kIgnored ? SIG_IGN : SIG_DFL);
    sigset_t mask;
    sigemptyset(&mask);
    if (options.sigbus == RunOptions::Bus::kBlocked) {
      sigaddset(&mask, SIGBUS);
    }
    ::sigprocmask(SIG_SETMASK, &mask, nullptr);
    // The child starts with the three standard descriptors only, whatever
    // the test runner left open.
    for (int fd = STDERR_FILENO + 1; fd < kDescriptorsToClose; ++fd) {
      ::close(fd);
    }
    if (options.unprivileged && ::geteuid() == 0) {
      if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
        ::_exit(kExecFailed);
      }
      ::setenv("GCOV_PREFIX", counts.c_str(), 1);
    }
    for (const int fd : options.closed) {
      ::close(fd);
    }
    if (options.address_space > 0) {
      const rlimit limit{static_cast<rlim_t>(options.address_space),
                         static_cast<rlim_t>(options.address_space)};
      ::setrlimit(RLIMIT_AS, &limit);
    }
    if (options.file_size > 0) {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{static_cast<rlim_t>(options.file_size),
                         static_cast<rlim_t>(options.file_size)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.max_files > 0) {
      const rlimit limit{static_cast<rlim_t>(options.max_files),
                         static_cast<rlim_t>(options.max_files)};
      ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    ::execvp(argv[0], argv.data());
    ::_exit(kExecFailed);
  }
  if (options.stdin_pipe) {
    ::close(pipe_fds[0]);
    // Small answers fit the pipe's buffer, so this never waits on the child.
    const ssize_t written =
        ::write(pipe_fds[1], options.stdin_bytes.data(), options.stdin_bytes.size());
    (void)written;
    ::close(pipe_fds[1]);
  }
  ProgramResult result;
  if (options.while_output_waits) {
    ::close(out_fds[1]);
    // Full once what it holds has stopped growing for a tenth of a second
    // (a pipe counts its room in pages, not bytes), or the child has ended.
    int held = 0;
    int last = -1;
    siginfo_t ended{};
    for (int still = 0; still < 10;) {
      ::usleep(10000);
      if (::ioctl(out_fds[0], FIONREAD, &held) != 0 ||
          ::waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOHANG | WNOWAIT) != 0 ||
          ended.si_pid != 0) {
        break;
      }
      still = held > 0 && held == last ? still + 1 : 0;
      last = held;
    }
    options.while_output_waits(static_cast<int>(child));
    std::array<char, 65536> chunk{};
    for (ssize_t got = 0; (got = ::read(out_fds[0], chunk.data(), chunk.size())) > 0;) {
      result.out.append(chunk.data(), static_cast<std::size_t>(got));
    }
    ::close(out_fds[0]);
  }
  int wait_status = 0;
  if (child < 0 || ::waitpid(child, &wait_status, 0) != child) {
    return result;
  }
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  result.signal = WIFSIGNALED(wait_status) ? WTERMSIG(wait_status) : 0;
  if (!options.while_output_waits) {
    result.out = options.stdout_path.empty() ? ReadFile(out_path) : "";
  }
  result.err = ReadFile(err_path);
  std::filesystem::remove(out_path);
  std::filesystem::remove(err_path);
  std::filesystem::remove(in_path);
  return result;
}

bool SanitizedBuild() { return VELLUM_SANITIZED != 0; }

bool Emulated() { return !std::string_view(VELLUM_EMULATOR).empty(); }

std::string SixteenByteLines(std::size_t count, std::size_t changed) {
  std::string bytes;
  bytes.reserve(count * 16);
  std::array<char, 32> line{};  // 16 bytes and the NUL, with room the format could ask for
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(line.data(), line.size(), "%s %010zu\n",
                  i < changed && i % 2 == 0 ? "LINE" : "line", i);
    bytes += line.data();
  }
  return bytes;
}

}  // namespace vellum::testing
