// How an input unit reads its file: one block at a time into its read
// buffer, at an explicit offset. A file that shrank gives fewer bytes, and
// the unit's positions follow what was actually read.
#ifndef VELLUM_IO_READ_BLOCK_H_
#define VELLUM_IO_READ_BLOCK_H_

#include <cstdint>

#include "io/io.h"

namespace vellum::io {

// Reads the block from file offset `offset` on, the unit's position then at
// `offset`. Returns false when the file has no bytes there. A read error
// ends the run (READ, 6500).
bool ReadBlockFrom(Io& io, InputUnit& input, std::int64_t offset);

// Reads the block that ends at file offset `offset`, more than 0, and
// returns how many of the bytes read lie before it: fewer when the file has shrunk,
// none when it no longer reaches that far. A read error ends the run
// (BACKSPACE, 6500).
std::int32_t ReadBlockBefore(Io& io, InputUnit& input, std::int64_t offset);

// Whether the bytes the unit holds past its position are few enough to
// keep as it reads on: at most MostKeptAhead of a block.
bool CanReadOnAhead(const InputUnit& input);

// Moves the bytes the unit holds past its position, when it CanReadOnAhead,
// to the start of its read buffer and reads the next block of the file in
// after them, so that the records ahead go on being held past the block's end. A
// failed read changes nothing but that move: the next read of a record
// meets the failure and reports it where it belongs.
void ReadOnAhead(InputUnit& input);

}  // namespace vellum::io

#endif  // VELLUM_IO_READ_BLOCK_H_
