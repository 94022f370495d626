// A regular file's window mapped into memory on POSIX systems, for the
// POSIX platform's input files. A fault while the window is being touched
// (SIGBUS: the file shrank under it, or its device failed) is caught only
// for addresses inside the window: the page read as zeros and the touch is
// reported as faulted. The handler is installed only while some window is
// mapped; any other fault keeps its default action.
#ifndef VELLUM_IO_MAPPING_POSIX_H_
#define VELLUM_IO_MAPPING_POSIX_H_

#include <cstdint>
#include <optional>

#include "io/platform.h"

namespace vellum::io {

class PosixMapping {
 public:
  PosixMapping() = default;
  ~PosixMapping() { Release(); }
  PosixMapping(const PosixMapping&) = delete;
  PosixMapping& operator=(const PosixMapping&) = delete;

  // Maps at most `size` bytes of the regular file `fd` from the page
  // boundary at or before `offset`, in place of the window before. Nothing
  // when the file is not regular, is smaller than kMapFilesFrom, or cannot
  // be mapped.
  std::optional<MappedWindow> Map(int fd, std::int64_t offset, std::size_t size);

 private:
  void Release();

  int slot_ = -1;                // the window's place in the fault handler's table
  std::int64_t window_end_ = 0;  // the file offset just after the window's bytes
};

}  // namespace vellum::io

#endif  // VELLUM_IO_MAPPING_POSIX_H_
