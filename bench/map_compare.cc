// The least a comparer that maps its files must do on identical files: maps
// both in windows of 2 MiB, compares each pair of windows
// with memcmp and counts the line ends. Prints the count, or how many
// windows differed.
#include <sys/mman.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "bench/file_pair.h"
#include "io/scan.h"

namespace {

// Windows of this size read as fast as larger ones where mapping is cheap.
constexpr long long kWindow = 2LL << 20;

// Maps `size` bytes of `fd` from `offset`, its pages coming in as they are
// touched.
const char* MapWindow(int fd, long long offset, std::size_t size) {
  void* bytes = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, static_cast<off_t>(offset));
  return bytes == MAP_FAILED ? nullptr : static_cast<const char*>(bytes);
}

}  // namespace

int main(int argc, char** argv) {
  int fds[2] = {-1, -1};
  if (!vellum::bench::OpenFilePair(argc, argv, "map_compare", fds)) {
    return 2;
  }
  struct stat info1 {};
  struct stat info2 {};
  if (::fstat(fds[0], &info1) != 0 || ::fstat(fds[1], &info2) != 0) {
    std::perror("fstat");
    return 2;
  }
  const long long size = std::min<long long>(info1.st_size, info2.st_size);
  long long lines = 0;
  long long differing = info1.st_size == info2.st_size ? 0 : 1;
  for (long long offset = 0; offset < size; offset += kWindow) {
    const auto length = static_cast<std::size_t>(std::min(kWindow, size - offset));
    const char* window1 = MapWindow(fds[0], offset, length);
    const char* window2 = MapWindow(fds[1], offset, length);
    if (window1 == nullptr || window2 == nullptr) {
      std::perror("mmap");
      return 2;
    }
    if (std::memcmp(window1, window2, length) != 0) {
      ++differing;
    }
    lines += vellum::io::scan::CountLf(window1, length);
    ::munmap(const_cast<char*>(window1), length);
    ::munmap(const_cast<char*>(window2), length);
  }
  std::printf("%lld\n", differing == 0 ? lines : differing);
  return differing == 0 ? 0 : 1;
}
