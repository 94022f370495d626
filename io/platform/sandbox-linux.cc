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
// complete a pthread_once of the unwinder, which wakes its waiters. poll
// waits on standard output; closing gives no access to anything.
constexpr std::array kAllowed = {
    SYS_poll,         SYS_ppoll,           SYS_munmap,
    SYS_mremap,       SYS_madvise,         SYS_brk,
    SYS_rt_sigaction, SYS_rt_sigprocmask,  SYS_futex,
    SYS_rt_sigreturn, SYS_restart_syscall, SYS_close,
    SYS_getpid,       SYS_gettid,          SYS_exit,
    SYS_exit_group,
};
// Calls allowed on the two inputs' descriptors only: no descriptor the
// process inherited can be read, and no path looked up (the size is asked
// by descriptor with fstat itself, never newfstatat or statx).
constexpr std::array kOnInputs = {SYS_pread64, SYS_read, SYS_lseek, SYS_fstat};
// Calls allowed on standard output and standard error only.
constexpr std::array kOnOutputs = {SYS_write, SYS_writev};

// Where the filter's program finds the call's number, its processor and
// the low 32 bits of its arguments (x86-64 is little-endian); the kernel
// takes a descriptor, a process and a protection from those bits alone.
constexpr std::uint32_t kNumber = offsetof(seccomp_data, nr);
constexpr std::uint32_t kArch = offsetof(seccomp_data, arch);
constexpr std::uint32_t Argument(std::uint32_t i) {
  return static_cast<std::uint32_t>(offsetof(seccomp_data, args)) + 8 * i;
}
// x32 calls carry this bit in their number; they are refused.
constexpr std::uint32_t kX32Bit = 0x40000000;
// No descriptor: what an anonymous mapping passes, and what stands for an
// input that has none (a device).
constexpr std::uint32_t kNoDescriptor = 0xFFFFFFFF;

// The filter's program, written in the order it runs. A jump names the
// label of its target, placed later; the labels are resolved at the end.
class FilterWriter {
 public:
  enum Label : std::uint8_t {
    kRefuse,
    kAllow,
    kInputs,
    kOutputs,
    kMap,
    kNoExec,
    kOwnProcess,
    kLabels
  };

  void Load(std::uint32_t offset) { Add(BPF_LD | BPF_W | BPF_ABS, offset); }
  // Goes to `if_equal` when the value loaded is `k`; on otherwise.
  void JumpIfEqual(std::uint32_t k, Label if_equal) { Add(BPF_JMP | BPF_JEQ | BPF_K, k, if_equal); }
  // Goes to `if_not` unless the value loaded is `k`.
  void JumpUnlessEqual(std::uint32_t k, Label if_not) {
    Add(BPF_JMP | BPF_JEQ | BPF_K, k, kLabels, if_not);
  }
  // Goes to `if_set` when any bit of `k` is set in the value loaded.
  void JumpIfAnySet(std::uint32_t k, Label if_set) { Add(BPF_JMP | BPF_JSET | BPF_K, k, if_set); }
  void JumpIfAtLeast(std::uint32_t k, Label if_so) { Add(BPF_JMP | BPF_JGE | BPF_K, k, if_so); }
  void Jump(Label to) { Add(BPF_JMP | BPF_JA, 0, kLabels, kLabels, to); }
  void Return(std::uint32_t verdict) { Add(BPF_RET | BPF_K, verdict); }
  void Place(Label label) { at_[label] = size_; }

  // The program with its jumps resolved.
  sock_fprog Program() {
    for (std::size_t i = 0; i < size_; ++i) {
      const auto distance = [&](Label label) { return at_[label] - i - 1; };
      if (targets_[i][0] != kLabels) {
        program_[i].jt = static_cast<std::uint8_t>(distance(targets_[i][0]));
      }
      if (targets_[i][1] != kLabels) {
        program_[i].jf = static_cast<std::uint8_t>(distance(targets_[i][1]));
      }
      if (targets_[i][2] != kLabels) {
        program_[i].k = static_cast<std::uint32_t>(distance(targets_[i][2]));
      }
    }
    return {static_cast<unsigned short>(size_), program_.data()};
  }

 private:
  // Conditional jumps reach at most 255 instructions ahead; the whole
  // program stays shorter than that.
  static constexpr std::size_t kCapacity = 64;

  void Add(std::uint16_t code, std::uint32_t k, Label if_true = kLabels, Label if_false = kLabels,
           Label always = kLabels) {
    program_.at(size_) = {code, 0, 0, k};
    targets_.at(size_) = {if_true, if_false, always};
    ++size_;
  }

  std::array<sock_filter, kCapacity> program_{};
  std::array<std::array<Label, 3>, kCapacity> targets_{};
  std::array<std::size_t, kLabels> at_{};
  std::size_t size_ = 0;
};

// Writes the filter: the processor first, then the calls allowed as they
// are, then those allowed only with some arguments: reads of the inputs,
// writes of standard output and error, mmap only of memory (no file) and,
// with mprotect, never executable, and tgkill only of this process, as
// abort signals itself. Everything else is refused with EPERM.
void WriteFilter(FilterWriter& w, std::uint32_t pid, std::array<int, 2> inputs) {
  using W = FilterWriter;
  w.Load(kArch);
  w.JumpUnlessEqual(AUDIT_ARCH_X86_64, W::kRefuse);
  w.Load(kNumber);
  w.JumpIfAtLeast(kX32Bit, W::kRefuse);
  // Reads and writes first: the kernel runs the filter at each of them,
  // while the calls allowed whatever their arguments it answers from a
  // cache.
  for (const long call : kOnInputs) {
    w.JumpIfEqual(static_cast<std::uint32_t>(call), W::kInputs);
  }
  for (const long call : kOnOutputs) {
    w.JumpIfEqual(static_cast<std::uint32_t>(call), W::kOutputs);
  }
  for (const long call : kAllowed) {
    w.JumpIfEqual(static_cast<std::uint32_t>(call), W::kAllow);
  }
  w.JumpIfEqual(SYS_mmap, W::kMap);
  w.JumpIfEqual(SYS_mprotect, W::kNoExec);
  w.JumpIfEqual(SYS_tgkill, W::kOwnProcess);
  w.Jump(W::kRefuse);

  w.Place(W::kInputs);
  w.Load(Argument(0));
  for (const int input : inputs) {
    w.JumpIfEqual(input < 0 ? kNoDescriptor : static_cast<std::uint32_t>(input), W::kAllow);
  }
  w.Jump(W::kRefuse);

  w.Place(W::kOutputs);
  w.Load(Argument(0));
  w.JumpIfEqual(STDOUT_FILENO, W::kAllow);
  w.JumpIfEqual(STDERR_FILENO, W::kAllow);
  w.Jump(W::kRefuse);

  w.Place(W::kMap);
  w.Load(Argument(4));  // mmap's descriptor
  w.JumpUnlessEqual(kNoDescriptor, W::kRefuse);

  w.Place(W::kNoExec);
  w.Load(Argument(2));  // mmap's and mprotect's protection
  w.JumpIfAnySet(PROT_EXEC, W::kRefuse);
  w.Jump(W::kAllow);

  w.Place(W::kOwnProcess);
  w.Load(Argument(0));
  w.JumpUnlessEqual(pid, W::kRefuse);

  w.Place(W::kAllow);
  w.Return(SECCOMP_RET_ALLOW);
  w.Place(W::kRefuse);
  w.Return(SECCOMP_RET_ERRNO | (EPERM & SECCOMP_RET_DATA));
}

}  // namespace

bool DenyFileSystem() {
  const long abi =
      ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
  if (abi < 1) {
    return false;
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
    return false;
  }
  const bool restricted = ::syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
  ::close(static_cast<int>(ruleset));
  return restricted;
}

bool ConfinesInThisBuild() { return true; }

Confinement ConfineToOpenFiles(std::array<int, 2> inputs) {
  Confinement confinement;
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
    return confinement;
  }
  confinement.file_system = DenyFileSystem();
  FilterWriter filter;
  WriteFilter(filter, static_cast<std::uint32_t>(::getpid()), inputs);
  const sock_fprog program = filter.Program();
  confinement.filter = ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program, 0, 0) == 0;
  return confinement;
}

}  // namespace vellum::io

#else

namespace vellum::io {

bool ConfinesInThisBuild() { return false; }

bool DenyFileSystem() { return false; }

Confinement ConfineToOpenFiles(std::array<int, 2> /*inputs*/) { return {}; }

}  // namespace vellum::io

#endif
