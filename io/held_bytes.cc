// Holding a unit's bytes by reads.
#include "io/held_bytes.h"

#include <algorithm>

#include "io/recent_records.h"
#include "io/termination.h"

namespace vellum::io {
namespace {

std::int32_t BufferSize(const InputUnit& input) {
  return static_cast<std::int32_t>(input.buffer.Size());
}

// Reads the bytes of [start, end) into the read buffer; the bytes held are
// those read.
void ReadBlock(Io& io, InputUnit& input, std::int64_t start, std::int64_t end,
               Operation operation) {
  const std::int64_t got = input.file->ReadAt(start, input.buffer.Data(), end - start);
  if (got < 0) {
    RAISE_FAILURE(io, {kFailureRead, operation, input.name,
                       "the file could not be read (a device or file system error)"});
  }
  // A file that shrank gives fewer bytes; the positions stay consistent
  // with what was actually read.
  input.fill = static_cast<std::int32_t>(std::clamp<std::int64_t>(got, 0, end - start));
  input.end_offset = start + input.fill;
}

}  // namespace

bool HoldFrom(Io& io, InputUnit& input, std::int64_t offset) {
  ForgetRecent(input);
  ReadBlock(io, input, offset, offset + BufferSize(input), Operation::kRead);
  input.pos = 0;
  return input.fill > 0;
}

std::int32_t HoldBefore(Io& io, InputUnit& input, std::int64_t offset) {
  ForgetRecent(input);
  ReadBlock(io, input, std::max<std::int64_t>(0, offset - BufferSize(input)), offset,
            Operation::kBackspace);
  return input.fill;
}

}  // namespace vellum::io
