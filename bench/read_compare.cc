// The least a comparer that reads its files must do on identical files:
// reads both in vellum's blocks, compares each pair of blocks with memcmp and
// counts the line ends. Prints the count, or how many blocks differed.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/file_pair.h"
#include "io/scan.h"

namespace {

using vellum::bench::kReadBlock;

// Reads up to kReadBlock bytes, retrying short reads; 0 at the end.
std::size_t ReadBlock(int fd, char* block) {
  std::size_t fill = 0;
  while (fill < kReadBlock) {
    const ssize_t got = ::read(fd, block + fill, kReadBlock - fill);
    if (got <= 0) {
      break;
    }
    fill += static_cast<std::size_t>(got);
  }
  return fill;
}

}  // namespace

int main(int argc, char** argv) {
  int fds[2] = {-1, -1};
  if (!vellum::bench::OpenFilePair(argc, argv, "read_compare", fds)) {
    return 2;
  }
  std::vector<char> block1(kReadBlock);
  std::vector<char> block2(kReadBlock);
  long long lines = 0;
  long long differing = 0;
  for (;;) {
    const std::size_t got1 = ReadBlock(fds[0], block1.data());
    const std::size_t got2 = ReadBlock(fds[1], block2.data());
    if (got1 == 0 && got2 == 0) {
      break;
    }
    if (got1 != got2 || std::memcmp(block1.data(), block2.data(), got1) != 0) {
      ++differing;
    }
    lines += vellum::io::scan::CountLf(block1.data(), got1);
  }
  std::printf("%lld\n", differing == 0 ? lines : differing);
  return differing == 0 ? 0 : 1;
}
