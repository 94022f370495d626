// Mapped windows of regular files, and the fault handler that guards them.
#include "io/mapping-posix.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstddef>

#include "io/io_constants.h"

namespace vellum::io {
namespace {

// What the fault handler knows of one mapped window. A signal handler finds
// nothing but what lies in static storage, so this table is the one such
// place of the program; it holds a slot for each input file open at once.
struct Slot {
  bool used = false;  // held by a file; never read by the handler
  std::atomic<const char*> begin{nullptr};
  std::atomic<std::size_t> room{0};
  TouchState touches;
};
constexpr std::size_t kSlots = 4;
std::array<Slot, kSlots> slots;
int windows_mapped = 0;
std::size_t page_size = 0;
struct sigaction before_handler {};

// A fault at an address inside a window being touched maps a page of zeros
// over the faulting page and lets the touch go on, noting the fault. Any
// other fault puts back the disposition there was before and returns, so
// the access faults again and takes its usual course. (mmap and sigaction
// are plain system calls here, safe within a handler.)
void OnBusError(int /*signal*/, siginfo_t* info, void* /*context*/) {
  const int saved_errno = errno;
  const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  for (Slot& slot : slots) {
    const char* begin = slot.begin.load(std::memory_order_relaxed);
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    if (begin == nullptr || slot.touches.touching == 0 || address < start ||
        address - start >= slot.room.load(std::memory_order_relaxed)) {
      continue;
    }
    char* page = const_cast<char*>(begin) + (address - start) / page_size * page_size;
    if (::mmap(page, page_size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
        MAP_FAILED) {
      slot.touches.faulted = 1;
      errno = saved_errno;
      return;
    }
    break;
  }
  ::sigaction(SIGBUS, &before_handler, nullptr);
  errno = saved_errno;
}

void WindowMapped() {
  if (windows_mapped++ == 0) {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &before_handler);
  }
}

void WindowUnmapped() {
  if (--windows_mapped == 0) {
    ::sigaction(SIGBUS, &before_handler, nullptr);
  }
}

// Unmaps the window of `slot`, if it has one.
void Unmap(Slot& slot) {
  const char* begin = slot.begin.load(std::memory_order_relaxed);
  if (begin == nullptr) {
    return;
  }
  slot.begin.store(nullptr, std::memory_order_relaxed);
  ::munmap(const_cast<char*>(begin), slot.room.load(std::memory_order_relaxed));
  WindowUnmapped();
}

}  // namespace

std::optional<MappedWindow> PosixMapping::Map(int fd, std::int64_t offset, std::size_t size) {
  struct stat info {};
  const bool known = ::fstat(fd, &info) == 0;
  // A file that has shrunk below the end of the window before may have left
  // zeros in its last page where no fault told of them.
  if (slot_ >= 0 && (!known || info.st_size < window_end_)) {
    Slot& slot = slots[static_cast<std::size_t>(slot_)];
    if (slot.begin.load(std::memory_order_relaxed) != nullptr) {
      slot.touches.faulted = 1;
    }
  }
  // A 32-bit process keeps reading: its address space is scarce, and the
  // one such system we run on (qemu-i386) maps the wrong bytes past 4 GiB.
  constexpr bool kWideAddresses = sizeof(void*) >= 8;
  if (!kWideAddresses || !known || !S_ISREG(info.st_mode) || info.st_size < kMapFilesFrom) {
    Release();
    return std::nullopt;
  }
  if (slot_ < 0) {
    const auto free =
        std::find_if(slots.begin(), slots.end(), [](const Slot& s) { return !s.used; });
    if (free == slots.end()) {
      return std::nullopt;
    }
    free->used = true;
    slot_ = static_cast<int>(free - slots.begin());
  }
  Slot& slot = slots[static_cast<std::size_t>(slot_)];
  Unmap(slot);
  if (page_size == 0) {
    page_size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  }
  const std::int64_t start = offset - offset % static_cast<std::int64_t>(page_size);
  if (start >= info.st_size) {
    return MappedWindow{nullptr, offset, 0, 0, &slot.touches};
  }
  const auto length = static_cast<std::size_t>(
      std::min<std::int64_t>(static_cast<std::int64_t>(size), info.st_size - start));
  // The window's pages come in as they are first touched, the system
  // mapping a few around each: faster than bringing them all in at once
  // (MAP_POPULATE), and only those touched.
  void* bytes = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, static_cast<off_t>(start));
  if (bytes == MAP_FAILED) {
    Release();
    return std::nullopt;
  }
  const std::size_t room = (length + page_size - 1) / page_size * page_size;
  slot.room.store(room, std::memory_order_relaxed);
  slot.begin.store(static_cast<const char*>(bytes), std::memory_order_relaxed);
  window_end_ = start + static_cast<std::int64_t>(length);
  WindowMapped();
  return MappedWindow{static_cast<const char*>(bytes), start, length, room, &slot.touches};
}

void PosixMapping::Release() {
  if (slot_ < 0) {
    return;
  }
  Slot& slot = slots[static_cast<std::size_t>(slot_)];
  Unmap(slot);
  slot.used = false;
  slot_ = -1;
}

}  // namespace vellum::io
