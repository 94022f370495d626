// The seccomp filter and Landlock ruleset of the point of no return. The
// filter lists system calls by number, which differ between processors, so
// it is built only for the one whose numbers the test suite proves natively
// (x86-64).
#include "io/platform/sandbox.h"

#if defined(__linux__) && defined(__x86_64__) && !defined(VELLUM_NO_SANDBOX)

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/landlock.h>
#include <linux/seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace vellum::io {
namespace {

// System calls a run makes once its inputs are open, whatever their
// arguments. futex is the C library's: the first exception thrown may
// complete a pthread_once of the unwinder, which wakes its waiters.
constexpr std::array kAllowed = {
    SYS_read,         SYS_pread64,         SYS_lseek,
    SYS_fstat,        SYS_write,           SYS_writev,
    SYS_poll,         SYS_ppoll,           SYS_munmap,
    SYS_mremap,       SYS_madvise,         SYS_brk,
    SYS_rt_sigaction, SYS_rt_sigprocmask,  SYS_futex,
    SYS_rt_sigreturn, SYS_restart_syscall, SYS_close,
    SYS_getpid,       SYS_gettid,          SYS_exit,
    SYS_exit_group,
};

// Where the filter's program finds the call's number, its processor and
// the low 32 bits of its arguments (x86-64 is little-endian).
constexpr std::uint32_t kNumber = offsetof(seccomp_data, nr);
constexpr std::uint32_t kArch = offsetof(seccomp_data, arch);
constexpr std::uint32_t Argument(std::uint32_t i) {
  return static_cast<std::uint32_t>(offsetof(seccomp_data, args)) + 8 * i;
}
// x32 calls carry this bit in their number; they are refused.
constexpr std::uint32_t kX32Bit = 0x40000000;

constexpr sock_filter Statement(std::uint16_t code, std::uint32_t k) { return {code, 0, 0, k}; }
constexpr sock_filter Jump(std::uint16_t code, std::uint32_t k, std::uint8_t if_true,
                           std::uint8_t if_false) {
  return {code, if_true, if_false, k};
}

// The filter: the processor first, then the calls allowed as they are, then
// the three allowed only with some arguments: mmap and mprotect without
// PROT_EXEC, newfstatat only of a descriptor (AT_EMPTY_PATH), and tgkill
// only to this process, as abort signals itself.
struct Filter {
  static constexpr std::size_t kChecked = 4;  // mmap, mprotect, newfstatat, tgkill
  // Head (4), the calls allowed (one each), the checked calls (one each),
  // the jump to refusal (1), the three argument checks (2 each), the two
  // verdicts.
  static constexpr std::size_t kSize = 4 + kAllowed.size() + kChecked + 1 + 6 + 2;
  // Jumps count at most 255 instructions.
  static_assert(kSize < 256);
  std::array<sock_filter, kSize> program{};
};

Filter MakeFilter(std::uint32_t pid) {
  Filter filter;
  auto& p = filter.program;
  const std::size_t protection = 4 + kAllowed.size() + Filter::kChecked + 1;
  const std::size_t descriptor_only = protection + 2;
  const std::size_t own_process = descriptor_only + 2;
  const std::size_t refuse = own_process + 2;
  const std::size_t allow = refuse + 1;
  // The distance from the instruction at `from` to `to`, as a jump counts it.
  const auto to = [](std::size_t from, std::size_t target) {
    return static_cast<std::uint8_t>(target - from - 1);
  };
  std::size_t at = 0;
  p[at] = Statement(BPF_LD | BPF_W | BPF_ABS, kArch);
  ++at;
  p[at] = Jump(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 0, to(at, refuse));
  ++at;
  p[at] = Statement(BPF_LD | BPF_W | BPF_ABS, kNumber);
  ++at;
  p[at] = Jump(BPF_JMP | BPF_JGE | BPF_K, kX32Bit, to(at, refuse), 0);
  ++at;
  for (const long call : kAllowed) {
    p[at] = Jump(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(call), to(at, allow), 0);
    ++at;
  }
  const std::array<std::pair<long, std::size_t>, Filter::kChecked> checked = {{
      {SYS_mmap, protection},
      {SYS_mprotect, protection},
      {SYS_newfstatat, descriptor_only},
      {SYS_tgkill, own_process},
  }};
  for (const auto& [call, check] : checked) {
    p[at] = Jump(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(call), to(at, check), 0);
    ++at;
  }
  p[at] = Statement(BPF_JMP | BPF_JA, static_cast<std::uint32_t>(refuse - at - 1));
  ++at;
  p[at] = Statement(BPF_LD | BPF_W | BPF_ABS, Argument(2));  // mmap's and mprotect's prot
  ++at;
  p[at] = Jump(BPF_JMP | BPF_JSET | BPF_K, PROT_EXEC, to(at, refuse), to(at, allow));
  ++at;
  p[at] = Statement(BPF_LD | BPF_W | BPF_ABS, Argument(3));  // newfstatat's flags
  ++at;
  p[at] = Jump(BPF_JMP | BPF_JSET | BPF_K, AT_EMPTY_PATH, to(at, allow), to(at, refuse));
  ++at;
  p[at] = Statement(BPF_LD | BPF_W | BPF_ABS, Argument(0));  // tgkill's process
  ++at;
  p[at] = Jump(BPF_JMP | BPF_JEQ | BPF_K, pid, to(at, allow), to(at, refuse));
  ++at;
  p[at] = Statement(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EPERM & SECCOMP_RET_DATA));
  ++at;
  p[at] = Statement(BPF_RET | BPF_K, SECCOMP_RET_ALLOW);
  return filter;
}

// Takes every file-system right the running kernel's Landlock knows of,
// granting none back. Nothing where the kernel has no Landlock.
void DenyFileSystem() {
  const long abi =
      ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
  if (abi < 1) {
    return;
  }
  // Version 1 knows 13 rights; version 2 adds REFER, 3 TRUNCATE and 5
  // IOCTL_DEV, each the next bit (the headers of an older system may not
  // name them).
  std::uint64_t handled = (std::uint64_t{1} << 13) - 1;
  for (const auto& [version, bit] : {std::pair{2L, 13}, std::pair{3L, 14}, std::pair{5L, 15}}) {
    if (abi >= version) {
      handled |= std::uint64_t{1} << bit;
    }
  }
  landlock_ruleset_attr attributes{};
  attributes.handled_access_fs = handled;
  const long ruleset = ::syscall(SYS_landlock_create_ruleset, &attributes, sizeof attributes, 0);
  if (ruleset < 0) {
    return;
  }
  ::syscall(SYS_landlock_restrict_self, ruleset, 0);
  ::close(static_cast<int>(ruleset));
}

}  // namespace

bool ConfinesInThisBuild() { return true; }

bool ConfineToOpenFiles() {
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
    return false;
  }
  DenyFileSystem();
  Filter filter = MakeFilter(static_cast<std::uint32_t>(::getpid()));
  const sock_fprog program{static_cast<unsigned short>(filter.program.size()),
                           filter.program.data()};
  return ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program, 0, 0) == 0;
}

}  // namespace vellum::io

#else

namespace vellum::io {

bool ConfinesInThisBuild() { return false; }

bool ConfineToOpenFiles() { return false; }

}  // namespace vellum::io

#endif
