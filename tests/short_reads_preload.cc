// Loaded with LD_PRELOAD into the dynamically linked program: every pread of
// a descriptor above standard error gives at most VELLUM_READ_CAP bytes, as
// network and user-space file systems may answer.
#include <dlfcn.h>
#include <sys/types.h>

#include <cstdlib>

namespace {

using Pread = ssize_t (*)(int, void*, size_t, off64_t);
Pread real_pread64 = nullptr;
size_t cap = 0;

// Looked up as the program loads, long before it confines itself.
[[gnu::constructor]] void Load() {
  real_pread64 = reinterpret_cast<Pread>(::dlsym(RTLD_NEXT, "pread64"));
  const char* text = std::getenv("VELLUM_READ_CAP");
  cap = text != nullptr ? std::strtoul(text, nullptr, 10) : 0;
}

ssize_t Capped(int fd, void* data, size_t size, off64_t offset) {
  if (fd > 2 && cap > 0 && size > cap) {
    size = cap;
  }
  return real_pread64(fd, data, size, offset);
}

}  // namespace

// The C library's own names, which the program calls.
// NOLINTNEXTLINE(readability-identifier-naming)
extern "C" ssize_t pread64(int fd, void* data, size_t size, off64_t offset) {
  return Capped(fd, data, size, offset);
}

// NOLINTNEXTLINE(readability-identifier-naming)
extern "C" ssize_t pread(int fd, void* data, size_t size, off_t offset) {
  return Capped(fd, data, size, offset);
}
