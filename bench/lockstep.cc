// The floor for this kind of work: reads two files in vellum's blocks, finds
// line ends with memchr and compares the first 25 bytes of each pair of
// lines (a shorter line padded with blanks). Prints how many pairs differ.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/file_pair.h"

namespace {

using vellum::bench::kReadBlock;
constexpr std::size_t kWindow = 25;

class Lines {
 public:
  explicit Lines(int fd) : fd_(fd), buffer_(2 * kReadBlock) {}

  // The first kWindow bytes of the next line, blank padded; false at the end.
  bool Next(char* window) {
    for (;;) {
      const char* begin = buffer_.data() + pos_;
      const char* lf = static_cast<const char*>(std::memchr(begin, '\n', fill_ - pos_));
      if (lf != nullptr || at_end_) {
        const std::size_t length =
            lf != nullptr ? static_cast<std::size_t>(lf - begin) : fill_ - pos_;
        if (lf == nullptr && length == 0) {
          return false;
        }
        const std::size_t n = std::min(length, kWindow);
        std::memcpy(window, begin, n);
        std::memset(window + n, ' ', kWindow - n);
        pos_ += length + (lf != nullptr ? 1 : 0);
        return true;
      }
      // Keep the partial line; very long lines keep only their first block.
      const std::size_t partial = std::min(fill_ - pos_, kReadBlock);
      std::memmove(buffer_.data(), begin, partial);
      pos_ = 0;
      fill_ = partial;
      const ssize_t got = ::read(fd_, buffer_.data() + fill_, kReadBlock);
      if (got <= 0) {
        at_end_ = true;
      } else {
        fill_ += static_cast<std::size_t>(got);
      }
    }
  }

 private:
  int fd_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t fill_ = 0;
  bool at_end_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  int fds[2] = {-1, -1};
  if (!vellum::bench::OpenFilePair(argc, argv, "lockstep", fds)) {
    return 2;
  }
  Lines lines1(fds[0]);
  Lines lines2(fds[1]);
  char window1[kWindow];
  char window2[kWindow];
  long long differing = 0;
  for (;;) {
    const bool more1 = lines1.Next(window1);
    const bool more2 = lines2.Next(window2);
    if (!more1 && !more2) {
      break;
    }
    if (more1 != more2 || std::memcmp(window1, window2, kWindow) != 0) {
      ++differing;
    }
  }
  std::printf("%lld\n", differing);
  return differing == 0 ? 0 : 1;
}
