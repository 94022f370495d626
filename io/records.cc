// Record input and moving back over records through the bytes a unit holds.
#include "io/records.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string>

#include "io/read_block.h"
#include "io/recent_records.h"
#include "io/scan.h"

namespace vellum::io {
namespace {

// Holds the bytes that follow those held. Returns false when the file has
// no more.
bool Refill(Io& io, InputUnit& input) { return ReadBlockFrom(io, input, input.end_offset); }

// A record held whole, its data all kept in the line.
struct WholeRecord {
  std::size_t data = 0;  // data bytes, all kept
  std::size_t size = 0;  // bytes of the whole record, its ending included
};

// The record whose data end at `stop`, the first CR or LF among the `ahead`
// bytes at `begin`, when they hold it whole, ended by LF or CR LF, with no
// more data than `width`. Any other record (a lone CR, a CR whose LF is not
// held, a longer line) is read the general way.
std::optional<WholeRecord> WholeRecordAt(const char* begin, std::size_t ahead, std::size_t stop,
                                         std::size_t width) {
  if (stop > width) {
    return std::nullopt;
  }
  const RecordParts parts = SplitRecord({begin, ahead}, stop, width);
  if (parts.end == 0) {
    return std::nullopt;
  }
  return WholeRecord{parts.data.size(), parts.end};
}

// Blanks `line` after its first `count` data bytes, as far as the unit's
// previous record into the same line can have filled it.
void BlankAfter(InputUnit& input, std::span<char> line, std::size_t count) {
  std::size_t dirty = line.size();
  if (input.last_line == line.data()) {
    dirty = std::max(count, input.last_length);
  }
  std::memset(line.data() + count, ' ', dirty - count);
  input.last_line = line.data();
  input.last_length = count;
}

// Takes a record held whole whose data end within the first
// scan::kMaskBytes bytes, the commonest kind, writing the line's first
// kMaskBytes in one pass: each byte is the record's or a blank. Returns
// false, having changed nothing, for any other record. The read buffer must
// have kMaskBytes from the position on; past the bytes held they are not
// looked at.
bool ReadShortRecord(InputUnit& input, std::span<char> line) {
  const auto pos = static_cast<std::size_t>(input.pos);
  if (input.buffer.Size() - pos < scan::kMaskBytes || line.size() < scan::kMaskBytes) {
    return false;
  }
  const char* begin = input.buffer.Data() + pos;
  const auto ahead = static_cast<std::size_t>(input.fill) - pos;
  std::uint64_t ends = scan::LineEndMask(begin);
  if (ahead < scan::kMaskBytes) {
    ends &= (std::uint64_t{1} << ahead) - 1;
  }
  if (ends == 0) {
    return false;
  }
  const std::optional<WholeRecord> record =
      WholeRecordAt(begin, ahead, static_cast<std::size_t>(std::countr_zero(ends)), line.size());
  if (!record) {
    return false;
  }
  scan::CopyPadded(line.data(), begin, record->data);
  // Past its first kMaskBytes the line only needs blanking as far as the
  // unit's previous record into it went.
  const std::size_t dirty = input.last_line == line.data() ? input.last_length : line.size();
  if (dirty > scan::kMaskBytes) {
    std::memset(line.data() + scan::kMaskBytes, ' ', dirty - scan::kMaskBytes);
  }
  input.last_line = line.data();
  input.last_length = record->data;
  input.pos += static_cast<std::int32_t>(record->size);
  return true;
}

// Reads the next record of `input` into `line` as READ_RECORD does, its
// end of file not yet met. Kept out of line, so that the quick path stays
// light.
[[gnu::noinline]] bool ReadAnyRecord(Io& io, InputUnit& input, std::span<char> line) {
  // Most records lie whole in the bytes held, ended by LF or CR LF within
  // the line's width: take them in one step.
  {
    const char* begin = input.buffer.Data() + input.pos;
    const auto ahead = static_cast<std::size_t>(input.fill - input.pos);
    if (const char* stop = scan::FindLineEnd(begin, std::min(ahead, line.size() + 1))) {
      if (const std::optional<WholeRecord> record =
              WholeRecordAt(begin, ahead, static_cast<std::size_t>(stop - begin), line.size())) {
        std::memcpy(line.data(), begin, record->data);
        BlankAfter(input, line, record->data);
        input.pos += static_cast<std::int32_t>(record->size);
        return true;
      }
    }
  }
  // The data: bytes up to the first CR or LF, at most line.size() of them.
  // The line is only written once the record is known to exist.
  std::size_t stored = 0;
  bool found_record = false;
  while (stored < line.size()) {
    if (input.pos == input.fill && !Refill(io, input)) {
      break;
    }
    found_record = true;
    const char* begin = input.buffer.Data() + input.pos;
    const std::size_t room = line.size() - stored;
    const auto ahead = static_cast<std::size_t>(input.fill - input.pos);
    const std::size_t size = std::min(room, ahead);
    const char* stop = scan::FindLineEnd(begin, size);
    const std::size_t count = stop == nullptr ? size : static_cast<std::size_t>(stop - begin);
    std::memcpy(line.data() + stored, begin, count);
    stored += count;
    input.pos += static_cast<std::int32_t>(count);
    if (stop != nullptr) {
      break;
    }
  }
  if (!found_record) {
    input.eof = true;
    return false;
  }
  // Blank the rest of the line. Only what the unit's previous record put
  // into this same line can be other than blank.
  BlankAfter(input, line, stored);

  // The rest of the record: the CR of a CR LF pair, bytes after a lone CR and
  // the tail of a long line, up to and including the LF. The common endings,
  // LF and CR LF within the bytes held, are passed over directly.
  if (input.pos < input.fill && input.buffer.Data()[input.pos] == '\n') {
    ++input.pos;
    return true;
  }
  if (input.pos + 1 < input.fill && input.buffer.Data()[input.pos] == '\r' &&
      input.buffer.Data()[input.pos + 1] == '\n') {
    input.pos += 2;
    return true;
  }
  for (;;) {
    if (input.pos == input.fill && !Refill(io, input)) {
      break;
    }
    const char* begin = input.buffer.Data() + input.pos;
    const auto ahead = static_cast<std::size_t>(input.fill - input.pos);
    const void* lf = std::memchr(begin, '\n', ahead);
    if (lf != nullptr) {
      input.pos = static_cast<std::int32_t>(static_cast<const char*>(lf) - input.buffer.Data()) + 1;
      break;
    }
    input.pos = input.fill;
  }
  return true;
}

}  // namespace

void AdvanceBothOver(Io& io, std::size_t size, std::string_view last, std::span<char> line1,
                     std::span<char> line2) {
  for (const std::int32_t unit : {kUnit1, kUnit2}) {
    InputUnit& input = UnitOf(io, unit);
    const std::span<char> line = unit == kUnit1 ? line1 : line2;
    input.pos += static_cast<std::int32_t>(size);
    std::memcpy(line.data(), last.data(), last.size());
    BlankAfter(input, line, last.size());
  }
}

bool READ_RECORD(Io& io, std::int32_t unit, std::span<char> line) {
  InputUnit& input = UnitOf(io, unit);
  if (input.eof) {
    return false;
  }
  const std::int64_t begin = Position(io, unit);
  const bool read = ReadShortRecord(input, line) || ReadAnyRecord(io, input, line);
  if (read) {
    Recall(input.recent, begin, Position(io, unit));
  }
  return read;
}

bool RereadChangesNothing(Io& io, std::int32_t unit, std::span<const char> line) {
  InputUnit& input = UnitOf(io, unit);
  const std::int64_t begin = RecalledBegin(input, Position(io, unit), 1);
  if (input.eof || begin < 0 || !input.recent.last_read) {
    return false;
  }
  // Moving back goes straight to the record's start, among the bytes held,
  // and reading again finds the same record; the line holds its data
  // unless they were changed since.
  return input.last_line == line.data() &&
         std::memcmp(line.data(), input.buffer.Data() + (begin - BlockStart(input)),
                     std::min(input.last_length, line.size())) == 0;
}

void BACKSPACE_INPUT(Io& io, std::int32_t unit) { BackspaceRecords(io, unit, 1); }

namespace {

// Moves `input` back `count` records, its end-of-file flag clear, reading
// earlier blocks as needed. Kept out of line, so that moving back within
// the bytes held stays light.
[[gnu::noinline]] void BackspaceThroughBlocks(Io& io, InputUnit& input, std::int64_t count) {
  std::int64_t block_start = BlockStart(input);
  if (block_start + input.pos == 0) {
    return;
  }
  // Each move passes over the byte that ended the record last read and goes
  // back to just after the LF before it. So `count` moves pass over that
  // byte once and then over `count` LFs, or stop at the start of the file.
  bool passed_end = false;
  std::int32_t scan_end = input.pos;  // bytes before this index are still to examine
  for (;;) {
    if (!passed_end && scan_end > 0) {
      passed_end = true;
      --scan_end;
    }
    const char* base = input.buffer.Data();
    if (const char* lf = scan::FindNthLastLf(base, base + scan_end, &count)) {
      input.pos = static_cast<std::int32_t>(lf - base) + 1;
      return;
    }
    if (block_start == 0) {
      input.pos = 0;
      return;
    }
    // The records began before the bytes held: hold those that end where
    // they begin.
    scan_end = ReadBlockBefore(io, input, block_start);
    block_start = BlockStart(input);
  }
}

}  // namespace

void BackspaceRecords(Io& io, std::int32_t unit, std::int64_t count) {
  InputUnit& input = UnitOf(io, unit);
  if (count <= 0) {
    return;
  }
  std::int64_t left = count;
  if (input.eof) {
    input.eof = false;
    if (--left == 0) {
      return;
    }
  }
  // Over records it recalls, the unit goes straight to where they begin.
  if (const std::int64_t begin = RecalledBegin(input, Position(io, unit), left); begin >= 0) {
    MoveBackRecalled(input, begin, left);
    return;
  }
  ForgetRecent(input);
  // Most moves stay within the bytes held: past the byte that ended the
  // record last read, the LFs wanted are all there.
  if (input.pos > 0) {
    std::int64_t wanted = left;
    const char* base = input.buffer.Data();
    if (const char* lf = scan::FindNthLastLf(base, base + input.pos - 1, &wanted)) {
      input.pos = static_cast<std::int32_t>(lf - base) + 1;
      return;
    }
  }
  BackspaceThroughBlocks(io, input, left);
}

}  // namespace vellum::io
