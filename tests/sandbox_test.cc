// The sandbox tried as code that took the process over would try it: a
// child that confines itself and attempts what it may no longer do, an
// abort under the filter, and the program seen confined in mid-run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/landlock.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "io/platform/sandbox.h"
#include "tests/program_runner.h"

namespace vellum::testing {
namespace {

// What a confined child holds: one of its inputs, a file and a pipe it
// inherited and may no longer use, and its parent's process id.
struct Held {
  int input = -1;
  int inherited_file = -1;
  int inherited_pipe = -1;
  pid_t parent = 0;
};

// What code that took the process over could try once the inputs are open,
// and what the run itself still needs; `error` is what the attempt meets.
struct AttackRow {
  const char* name;
  long (*attempt)(const Held&);
  int error = EPERM;
};

// The errno each attempt of `rows` met in a child process that confined
// itself first (0 where one succeeded), and its status file as it waited.
struct ConfinedChild {
  bool file_system = false;  // whether Landlock took hold beside the filter
  std::vector<int> errors;
  std::string status;
  int exit_status = -1;
};

// A file of `bytes` on no path, open for reading and writing.
int UnnamedFile(const std::string& bytes) {
  const int fd = ::open(::testing::TempDir().c_str(), O_TMPFILE | O_RDWR, 0600);
  if (fd >= 0 && ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Forks a child that confines itself with `inputs` its own input and the
// pipe it waits on, then makes each attempt and sends its errno on standard
// error, the one descriptor it may still write to but standard output.
ConfinedChild AttemptConfined(const std::vector<AttackRow>& rows) {
  std::array<int, 2> results{};
  std::array<int, 2> release{};
  std::array<int, 2> input{};
  std::array<int, 2> inherited{};
  ConfinedChild got;
  if (::pipe(results.data()) != 0 || ::pipe(release.data()) != 0 || ::pipe(input.data()) != 0 ||
      ::pipe(inherited.data()) != 0 || ::write(input[1], "ab", 2) != 2) {
    return got;
  }
  const Held held{input[0], UnnamedFile(std::string(4096, 's')), inherited[1], ::getpid()};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(results[0]);
    ::close(release[1]);
    if (::dup2(results[1], STDERR_FILENO) != STDERR_FILENO) {
      ::_exit(2);
    }
    const io::Confinement confined = io::ConfineToOpenFiles({release[0], held.input});
    const int file_system = confined.file_system ? 1 : 0;
    if (!confined.filter || ::write(STDERR_FILENO, &file_system, sizeof file_system) <= 0) {
      ::_exit(2);
    }
    for (const AttackRow& row : rows) {
      errno = 0;
      const int error = row.attempt(held) == -1 ? errno : 0;
      if (::write(STDERR_FILENO, &error, sizeof error) != sizeof error) {
        ::_exit(3);
      }
    }
    char byte = 0;
    ::_exit(::read(release[0], &byte, 1) == 0 ? 0 : 4);
  }
  ::close(results[1]);
  ::close(release[0]);
  int file_system = 0;
  got.file_system = ::read(results[0], &file_system, sizeof file_system) == sizeof file_system &&
                    file_system == 1;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    int error = 0;
    if (::read(results[0], &error, sizeof error) != sizeof error) {
      break;
    }
    got.errors.push_back(error);
  }
  got.status = ReadFile("/proc/" + std::to_string(child) + "/status");
  ::close(release[1]);
  ::close(results[0]);
  int wait_status = 0;
  if (::waitpid(child, &wait_status, 0) == child && WIFEXITED(wait_status)) {
    got.exit_status = WEXITSTATUS(wait_status);
  }
  for (const int fd : {input[0], input[1], inherited[0], inherited[1], held.inherited_file}) {
    ::close(fd);
  }
  return got;
}

TEST(Sandbox, RefusesWhatAnAttackerWouldTryOnceTheInputsAreOpen) {
  if (!io::ConfinesInThisBuild()) {
    GTEST_SKIP() << "this build does not confine the process (only Linux on x86-64, "
                    "without sanitizers)";
  }
  const std::vector<AttackRow> rows = {
      {"open a file",
       [](const Held&) { return static_cast<long>(::open("/etc/hostname", O_RDONLY)); }},
      {"run a shell",
       [](const Held&) {
         char* const argv[] = {const_cast<char*>("sh"), nullptr};
         return static_cast<long>(::execve("/bin/sh", argv, nullptr));
       }},
      {"open a socket",
       [](const Held&) { return static_cast<long>(::socket(AF_INET, SOCK_STREAM, 0)); }},
      {"trace itself", [](const Held&) { return ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr); }},
      {"make a page executable",
       [](const Held&) {
         void* page = ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
         return page == MAP_FAILED ? 0L : static_cast<long>(::mprotect(page, 4096, PROT_EXEC));
       }},
      {"map executable memory",
       [](const Held&) {
         return ::mmap(nullptr, 4096, PROT_READ | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) ==
                        MAP_FAILED
                    ? -1L
                    : 0L;
       }},
      {"change a file's mode",
       [](const Held&) { return static_cast<long>(::chmod("/tmp", 01777)); }},
      {"look up a path",
       [](const Held&) {
         struct stat info {};
         return static_cast<long>(::stat("/etc/hostname", &info));
       }},
      {"look up a path, flagged as by descriptor",
       [](const Held&) {
         struct stat info {};
         return ::syscall(SYS_newfstatat, AT_FDCWD, "/etc/hostname", &info, AT_EMPTY_PATH);
       }},
      {"look up a path with statx",
       [](const Held&) {
         struct statx info {};
         return ::syscall(SYS_statx, AT_FDCWD, "/etc/hostname", 0, STATX_SIZE, &info);
       }},
      {"signal another process", [](const Held&) { return static_cast<long>(::kill(1, 0)); }},
      {"signal another process's thread",
       [](const Held& held) { return ::syscall(SYS_tgkill, held.parent, held.parent, 0); }},
      {"read an inherited file",
       [](const Held& held) {
         char byte = 0;
         return static_cast<long>(::pread(held.inherited_file, &byte, 1, 0));
       }},
      {"map an inherited file",
       [](const Held& held) {
         return ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE, held.inherited_file, 0) == MAP_FAILED
                    ? -1L
                    : 0L;
       }},
      {"write an inherited pipe",
       [](const Held& held) { return static_cast<long>(::write(held.inherited_pipe, "x", 1)); }},
      // What the run itself does, still allowed.
      {"read an input",
       [](const Held& held) {
         char byte = 0;
         return static_cast<long>(::read(held.input, &byte, 1));
       },
       0},
      {"size an input by its descriptor",
       [](const Held& held) {
         struct stat info {};
         return ::syscall(SYS_fstat, held.input, &info);
       },
       0},
      {"map memory",
       [](const Held&) {
         return ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) ==
                        MAP_FAILED
                    ? -1L
                    : 0L;
       },
       0},
  };
  const ConfinedChild got = AttemptConfined(rows);
  ASSERT_EQ(got.exit_status, 0) << "2: the kernel refused the filter; 3, 4: the child could not "
                                   "write its results or read its release";
  ASSERT_EQ(got.errors.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(got.errors[i], rows[i].error) << rows[i].name;
  }
  // Landlock beside the filter wherever the kernel has it.
  const bool landlock =
      ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION) >= 1;
  EXPECT_EQ(got.file_system, landlock);
  EXPECT_NE(got.status.find("NoNewPrivs:\t1\n"), std::string::npos) << got.status;
  EXPECT_NE(got.status.find("Seccomp:\t2\n"), std::string::npos) << got.status;
}

TEST(Sandbox, LandlockAloneDeniesTheFileSystem) {
  if (!io::ConfinesInThisBuild()) {
    GTEST_SKIP() << "this build does not confine the process";
  }
  const pid_t child = ::fork();
  if (child == 0) {
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || !io::DenyFileSystem()) {
      ::_exit(2);
    }
    ::_exit(::open("/etc/hostname", O_RDONLY) == -1 && errno == EACCES ? 0 : 1);
  }
  int wait_status = 0;
  ASSERT_EQ(::waitpid(child, &wait_status, 0), child);
  ASSERT_TRUE(WIFEXITED(wait_status));
  if (WEXITSTATUS(wait_status) == 2) {
    GTEST_SKIP() << "this kernel has no Landlock";
  }
  EXPECT_EQ(WEXITSTATUS(wait_status), 0) << "a file opened after Landlock took every right";
}

TEST(Sandbox, AnAbortStillEndsTheProcessBySIGABRT) {
  if (!io::ConfinesInThisBuild()) {
    GTEST_SKIP() << "this build does not confine the process";
  }
  const pid_t child = ::fork();
  if (child == 0) {
    io::ConfineToOpenFiles({-1, -1});
    std::abort();
  }
  int wait_status = 0;
  ASSERT_EQ(::waitpid(child, &wait_status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(wait_status));
  EXPECT_EQ(WTERMSIG(wait_status), SIGABRT);
}

TEST(Sandbox, TheProgramIsConfinedWhileItListsAndListsTheSame) {
  if (Emulated()) {
    GTEST_SKIP() << "the emulator's own process is seen, not the program's";
  }
  // The listing of 8,000 changed lines fills the output pipe long before
  // the run ends, so the run is seen in mid-listing. The pipe is left
  // non-blocking: the full pipe refuses writes, and the run waits until it
  // can write again, confined as it is.
  TempFolder folder;
  folder.Write("f1", SixteenByteLines(20000, 8000));
  folder.Write("f2", SixteenByteLines(20000, 0));
  std::string status;
  RunOptions options;
  options.stdout_nonblocking = true;
  options.while_output_waits = [&](int pid) {
    status = ReadFile("/proc/" + std::to_string(pid) + "/status");
  };
  const ProgramResult got = RunVellum(folder, {"f1", "f2"}, options);
  const ProgramResult plain = RunVellum(folder, {"f1", "f2"});
  // Confined where the build confines, and only there.
  const std::string seccomp = io::ConfinesInThisBuild() ? "Seccomp:\t2\n" : "Seccomp:\t0\n";
  EXPECT_NE(status.find(seccomp), std::string::npos) << status;
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.err, "");
  EXPECT_TRUE(got.out == plain.out);
}

}  // namespace
}  // namespace vellum::testing
