// Holding a unit's bytes by reads or through mapped windows.
#include "io/held_bytes.h"

#include <algorithm>
#include <optional>

#include "io/recent_records.h"
#include "io/termination.h"

namespace vellum::io {
namespace {

std::int32_t BufferSize(const InputUnit& input) {
  return static_cast<std::int32_t>(input.buffer.Size());
}

void UseBuffer(InputUnit& input) {
  input.mapped = false;
  input.held = input.buffer.Data();
  input.room = input.buffer.Size();
}

// Maps a window of `size` bytes from `offset` for the unit, when the file
// maps. Returns false, the unit then reading for good, when it does not.
bool MapWindow(InputUnit& input, std::int64_t offset, std::size_t size) {
  if (!input.may_map) {
    return false;
  }
  const std::optional<MappedWindow> window = input.file->Map(offset, size);
  if (!window) {
    input.may_map = false;
    UseBuffer(input);
    return false;
  }
  input.mapped = true;
  input.touches = window->touches;
  input.held = window->bytes;
  input.room = window->room;
  input.fill = static_cast<std::int32_t>(window->size);
  input.end_offset = window->offset + input.fill;
  return true;
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

void StartHolding(InputUnit& input) {
  input.may_map = true;
  if (MapWindow(input, 0, input.map_window)) {
    input.pos = 0;
  }
}

bool HoldFrom(Io& io, InputUnit& input, std::int64_t offset) {
  ForgetRecent(input);
  if (MapWindow(input, offset, input.map_window)) {
    input.pos = static_cast<std::int32_t>(std::min(offset, input.end_offset) -
                                          (input.end_offset - input.fill));
    return input.pos < input.fill;
  }
  ReadBlock(io, input, offset, offset + BufferSize(input), Operation::kRead);
  input.pos = 0;
  return input.fill > 0;
}

std::int32_t HoldBefore(Io& io, InputUnit& input, std::int64_t offset) {
  ForgetRecent(input);
  // A mapped window reaches as far past the offset as before it, so that
  // moving to and fro across it stays within one window.
  const auto half = static_cast<std::int64_t>(input.map_window / 2);
  if (MapWindow(input, std::max<std::int64_t>(0, offset - half), input.map_window)) {
    const std::int64_t start = input.end_offset - input.fill;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(offset - start, 0, input.fill));
  }
  ReadBlock(io, input, std::max<std::int64_t>(0, offset - BufferSize(input)), offset,
            Operation::kBackspace);
  return input.fill;
}

void StopMapping(InputUnit& input, const Place& place) {
  input.may_map = false;
  ForgetRecent(input);
  UseBuffer(input);
  input.fill = 0;
  input.pos = 0;
  input.end_offset = place.offset;
  input.eof = place.eof;
  input.last_line = nullptr;
  input.last_length = 0;
}

}  // namespace vellum::io
