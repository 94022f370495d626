// Record input and moving back over records through one read buffer.
#include "io/records.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "io/termination.h"

namespace vellum::io {
namespace {

void RaiseReadError(Io& io, const Unit& unit, Operation operation) {
  RAISE_FAILURE(io, {kFailureRead, operation, unit.name,
                     "the file could not be read (a device or file system error)"});
}

// Reads the next block at the end offset. Returns false when the file has no
// more bytes; the buffer is then empty.
bool Refill(Io& io, Unit& unit) {
  const std::int64_t got = unit.file->ReadAt(unit.end_offset, unit.buffer.data(), kReadBufferSize);
  if (got < 0) {
    RaiseReadError(io, unit, Operation::kRead);
  }
  unit.pos = 0;
  unit.fill = static_cast<std::int32_t>(std::clamp<std::int64_t>(got, 0, kReadBufferSize));
  unit.end_offset += unit.fill;
  return unit.fill > 0;
}

const char* FindLineEnd(const char* begin, const char* end) {
  return std::find_if(begin, end, [](char c) { return c == '\r' || c == '\n'; });
}

}  // namespace

bool READ_RECORD(Io& io, std::int32_t unit_number, std::span<char> line) {
  Unit& unit = UnitOf(io, unit_number);
  if (unit.eof) {
    return false;
  }
  // The data: bytes up to the first CR or LF, at most line.size() of them.
  // The line is only written once the record is known to exist.
  std::size_t stored = 0;
  bool found_record = false;
  while (stored < line.size()) {
    if (unit.pos == unit.fill && !Refill(io, unit)) {
      break;
    }
    found_record = true;
    const char* begin = unit.buffer.data() + unit.pos;
    const std::size_t room = line.size() - stored;
    const std::size_t held = static_cast<std::size_t>(unit.fill - unit.pos);
    const char* end = begin + std::min(room, held);
    const char* stop = FindLineEnd(begin, end);
    const auto count = static_cast<std::size_t>(stop - begin);
    std::memcpy(line.data() + stored, begin, count);
    stored += count;
    unit.pos += static_cast<std::int32_t>(count);
    if (stop != end) {
      break;
    }
  }
  if (!found_record) {
    unit.eof = true;
    return false;
  }
  std::fill(line.begin() + static_cast<std::ptrdiff_t>(stored), line.end(), ' ');
  // The rest of the record: the CR of a CR LF pair, bytes after a lone CR and
  // the tail of a long line, up to and including the LF.
  for (;;) {
    if (unit.pos == unit.fill && !Refill(io, unit)) {
      break;
    }
    const char* begin = unit.buffer.data() + unit.pos;
    const char* end = unit.buffer.data() + unit.fill;
    const void* lf = std::memchr(begin, '\n', static_cast<std::size_t>(end - begin));
    if (lf != nullptr) {
      unit.pos = static_cast<std::int32_t>(static_cast<const char*>(lf) - unit.buffer.data()) + 1;
      break;
    }
    unit.pos = unit.fill;
  }
  return true;
}

void BACKSPACE_INPUT(Io& io, std::int32_t unit_number) {
  Unit& unit = UnitOf(io, unit_number);
  if (unit.eof) {
    unit.eof = false;
    return;
  }
  std::int64_t held_start = unit.end_offset - unit.fill;  // file offset of buffer[0]
  if (held_start + unit.pos == 0) {
    return;
  }
  // Pass over the byte that ended the record last read, then look backwards
  // for the LF that ended the record before it.
  std::int32_t i = unit.pos;
  bool passed_end = false;
  for (;;) {
    while (i > 0) {
      --i;
      if (!passed_end) {
        passed_end = true;
      } else if (unit.buffer[static_cast<std::size_t>(i)] == '\n') {
        unit.pos = i + 1;
        return;
      }
    }
    if (held_start == 0) {
      unit.pos = 0;
      return;
    }
    // The record began before the bytes held: read the block that ends
    // where they begin.
    const std::int64_t block_start = std::max<std::int64_t>(0, held_start - kReadBufferSize);
    const std::int64_t want = held_start - block_start;
    const std::int64_t got = unit.file->ReadAt(block_start, unit.buffer.data(), want);
    if (got < 0) {
      RaiseReadError(io, unit, Operation::kBackspace);
    }
    // A file that shrank underneath gives fewer bytes; the positions stay
    // consistent with what was actually read.
    unit.fill = static_cast<std::int32_t>(std::clamp<std::int64_t>(got, 0, want));
    unit.end_offset = block_start + unit.fill;
    held_start = block_start;
    i = unit.fill;
  }
}

}  // namespace vellum::io
