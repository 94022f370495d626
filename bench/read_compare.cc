// The least a comparer that reads its files must do on identical files:
// reads both in 64 KiB blocks, compares each pair of blocks with memcmp and
// counts the line ends. Prints the count, or how many blocks differed.
#include <unistd.h>

#include <emmintrin.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/file_pair.h"

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

// LFs in [p, p + size): 16 bytes at a time, summed in byte lanes.
long long CountLf(const char* p, std::size_t size) {
  const __m128i lf = _mm_set1_epi8('\n');
  long long total = 0;
  std::size_t i = 0;
  while (i + 16 <= size) {
    __m128i lanes = _mm_setzero_si128();
    for (int n = 0; n < 255 && i + 16 <= size; ++n, i += 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(chunk, lf));
    }
    const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
    total += _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
  }
  for (; i < size; ++i) {
    total += p[i] == '\n' ? 1 : 0;
  }
  return total;
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
    lines += CountLf(block1.data(), got1);
  }
  std::printf("%lld\n", differing == 0 ? lines : differing);
  return differing == 0 ? 0 : 1;
}
