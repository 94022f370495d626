// The command line and the reads the benchmark's floor programs share: both
// take FILE1 FILE2 and read them in blocks of the size vellum reads.
#ifndef VELLUM_BENCH_FILE_PAIR_H_
#define VELLUM_BENCH_FILE_PAIR_H_

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>

#include "io/io_constants.h"

namespace vellum::bench {

inline constexpr auto kReadBlock = static_cast<std::size_t>(io::kReadBufferSize);

// Opens the two files the command line names into `fds`; false, having said
// why on standard error, when there are not two or either cannot be opened.
inline bool OpenFilePair(int argc, char** argv, const char* program, int (&fds)[2]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FILE1 FILE2\n", program);
    return false;
  }
  fds[0] = ::open(argv[1], O_RDONLY);
  fds[1] = ::open(argv[2], O_RDONLY);
  if (fds[0] < 0 || fds[1] < 0) {
    std::perror("open");
    return false;
  }
  return true;
}

}  // namespace vellum::bench

#endif  // VELLUM_BENCH_FILE_PAIR_H_
