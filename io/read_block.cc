// Reading a unit's file a block at a time.
#include "io/read_block.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "io/recent_records.h"
#include "io/termination.h"

namespace vellum::io {
namespace {

// Reads the bytes of [start, end) into the read buffer; the bytes held are
// those read.
void ReadBlock(Io& io, InputUnit& input, std::int64_t start, std::int64_t end,
               Operation operation) {
  const std::int64_t got = input.file->ReadAt(start, input.buffer.Data(), end - start);
  if (got < 0) {
    RAISE_FAILURE(io, {kFailureRead, operation, input.name,
                       "the file could not be read (a device or file system error)"});
  }
  input.fill = static_cast<std::int32_t>(std::clamp<std::int64_t>(got, 0, end - start));
  input.end_offset = start + input.fill;
}

}  // namespace

bool ReadBlockFrom(Io& io, InputUnit& input, std::int64_t offset) {
  ForgetRecent(input);
  ReadBlock(io, input, offset, offset + input.block, Operation::kRead);
  input.pos = 0;
  return input.fill > 0;
}

std::int32_t ReadBlockBefore(Io& io, InputUnit& input, std::int64_t offset) {
  ForgetRecent(input);
  ReadBlock(io, input, std::max<std::int64_t>(0, offset - input.block), offset,
            Operation::kBackspace);
  return input.fill;
}

bool CanReadOnAhead(const InputUnit& input) {
  return input.fill - input.pos <= MostKeptAhead(input.block);
}

void ReadOnAhead(InputUnit& input) {
  assert(CanReadOnAhead(input));
  ForgetRecent(input);
  char* data = input.buffer.Data();
  const std::int32_t ahead = input.fill - input.pos;
  std::memmove(data, data + input.pos, static_cast<std::size_t>(ahead));
  input.pos = 0;
  input.fill = ahead;
  // The same block a record read would read next, so that reads meet the
  // file's bytes, and its failures, as they would have.
  const std::int64_t got = input.file->ReadAt(input.end_offset, data + ahead, input.block);
  if (got > 0) {
    input.fill += static_cast<std::int32_t>(std::min<std::int64_t>(got, input.block));
    input.end_offset += input.fill - ahead;
  }
}

}  // namespace vellum::io
