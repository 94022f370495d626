// How an input unit holds its file's bytes: one block at a time, read into
// its read buffer at an explicit offset. A file that shrank gives fewer
// bytes, and the unit's positions follow what was actually read.
#ifndef VELLUM_IO_HELD_BYTES_H_
#define VELLUM_IO_HELD_BYTES_H_

#include <cstdint>

#include "io/io.h"

namespace vellum::io {

// Holds the bytes from file offset `offset` on, the unit's position then at
// `offset`. Returns false when the file has no bytes there. A read error
// ends the run (READ, 6500).
bool HoldFrom(Io& io, InputUnit& input, std::int64_t offset);

// Holds bytes that end at file offset `offset`, more than 0, and returns
// how many of the bytes held lie before it: fewer when the file has shrunk,
// none when it no longer reaches that far. A read error ends the run
// (BACKSPACE, 6500).
std::int32_t HoldBefore(Io& io, InputUnit& input, std::int64_t offset);

}  // namespace vellum::io

#endif  // VELLUM_IO_HELD_BYTES_H_
