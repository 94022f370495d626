// Record input and moving back over records through one read buffer.
#include "io/records.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstring>
#include <string>

#include "io/termination.h"

namespace vellum::io {
namespace {

void RaiseReadError(Io& io, const Unit& input, Operation operation) {
  RAISE_FAILURE(io, {kFailureRead, operation, input.name,
                     "the file could not be read (a device or file system error)"});
}

std::int32_t BufferSize(const Unit& input) {
  return static_cast<std::int32_t>(input.buffer.Size());
}

// Reads the next block at the end offset. Returns false when the file has no
// more bytes; the buffer is then empty.
bool Refill(Io& io, Unit& input) {
  const std::int64_t got =
      input.file->ReadAt(input.end_offset, input.buffer.Data(), BufferSize(input));
  if (got < 0) {
    RaiseReadError(io, input, Operation::kRead);
  }
  input.pos = 0;
  input.fill = static_cast<std::int32_t>(std::clamp<std::int64_t>(got, 0, BufferSize(input)));
  input.end_offset += input.fill;
  return input.fill > 0;
}

// The first CR or LF in [begin, begin + size), or null. Both are looked for
// in one pass, 16 bytes at a time where the processor allows.
const char* FindLineEnd(const char* begin, std::size_t size) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; i + 16 <= size; i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + i));
    const int hits =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, lf), _mm_cmpeq_epi8(chunk, cr)));
    if (hits != 0) {
      return begin + i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
    }
  }
#endif
  for (; i < size; ++i) {
    if (begin[i] == '\n' || begin[i] == '\r') {
      return begin + i;
    }
  }
  return nullptr;
}

// Counts LFs backwards from `end` in [begin, end): returns the `*wanted`-th
// one, or null when there are fewer, having lowered `*wanted` by those
// passed. Looks at 16 bytes at a time where the processor allows.
const char* FindNthLastLf(const char* begin, const char* end, std::int64_t* wanted) {
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  while (end - begin >= 16) {
    const char* chunk = end - 16;
    auto hits = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk)), lf)));
    while (hits != 0) {
      const int top = 31 - __builtin_clz(hits);
      if (--*wanted == 0) {
        return chunk + top;
      }
      hits &= ~(1U << static_cast<unsigned>(top));
    }
    end = chunk;
  }
#endif
  while (end != begin) {
    --end;
    if (*end == '\n' && --*wanted == 0) {
      return end;
    }
  }
  return nullptr;
}

// Blanks `line` after its first `count` data bytes, as far as the unit's
// previous record into the same line can have filled it.
void BlankAfter(Unit& input, std::span<char> line, std::size_t count) {
  std::size_t dirty = line.size();
  if (input.last_line == line.data()) {
    dirty = std::max(count, input.last_length);
  }
  std::memset(line.data() + count, ' ', dirty - count);
  input.last_line = line.data();
  input.last_length = count;
}

#if defined(__SSE2__)
// Bytes the quick read looks at: four 16-byte chunks.
constexpr std::size_t kQuickBytes = 64;

// A mask of the CRs and LFs among the 16 bytes at `at`, bit n for byte n.
std::uint64_t LineEnds16(const char* at) {
  const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('\n')),
                                    _mm_cmpeq_epi8(chunk, _mm_set1_epi8('\r')));
  return static_cast<unsigned>(_mm_movemask_epi8(ends));
}

// Takes a record held whole whose LF or CR LF ends it within its first
// kQuickBytes, the commonest kind, writing the line's first kQuickBytes in
// one pass: each byte is the record's or a blank. Returns false, having
// changed nothing, for any other record. The read buffer must have
// kQuickBytes from the position on; past the bytes held they are not
// looked at.
bool TakeShortRecord(Unit& input, std::span<char> line) {
  const auto pos = static_cast<std::size_t>(input.pos);
  if (input.buffer.Size() - pos < kQuickBytes || line.size() < kQuickBytes) {
    return false;
  }
  const char* begin = input.buffer.Data() + pos;
  const auto held = static_cast<std::size_t>(input.fill) - pos;
  std::uint64_t ends = LineEnds16(begin) | LineEnds16(begin + 16) << 16 |
                       LineEnds16(begin + 32) << 32 | LineEnds16(begin + 48) << 48;
  if (held < kQuickBytes) {
    ends &= (std::uint64_t{1} << held) - 1;
  }
  if (ends == 0) {
    return false;
  }
  const auto count = static_cast<std::size_t>(__builtin_ctzll(ends));
  std::size_t ending = 1;
  if (begin[count] == '\r') {
    if (count + 1 >= held || begin[count + 1] != '\n') {
      return false;
    }
    ending = 2;
  }
  const __m128i blanks = _mm_set1_epi8(' ');
  const __m128i limit = _mm_set1_epi8(static_cast<char>(count));
  __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  for (std::size_t at = 0; at < kQuickBytes; at += 16) {
    const __m128i data = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + at));
    const __m128i keep = _mm_cmplt_epi8(index, limit);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(line.data() + at),
                     _mm_or_si128(_mm_and_si128(keep, data), _mm_andnot_si128(keep, blanks)));
    index = _mm_add_epi8(index, _mm_set1_epi8(16));
  }
  // Past its first kQuickBytes the line only needs blanking as far as the
  // unit's previous record into it went.
  const std::size_t dirty = input.last_line == line.data() ? input.last_length : line.size();
  if (dirty > kQuickBytes) {
    std::memset(line.data() + kQuickBytes, ' ', dirty - kQuickBytes);
  }
  input.last_line = line.data();
  input.last_length = count;
  input.pos += static_cast<std::int32_t>(count + ending);
  return true;
}
#endif

// Reads the next record of `input` into `line` as READ_RECORD does, its
// end of file not yet met. Kept out of line, so that the quick path stays
// light.
[[gnu::noinline]] bool ReadAnyRecord(Io& io, Unit& input, std::span<char> line) {
  // Most records lie whole in the bytes held, ended by LF or CR LF within
  // the line's width: take them in one step.
  {
    const char* begin = input.buffer.Data() + input.pos;
    const auto held = static_cast<std::size_t>(input.fill - input.pos);
    const char* stop = FindLineEnd(begin, std::min(held, line.size() + 1));
    if (stop != nullptr) {
      const auto count = static_cast<std::size_t>(stop - begin);
      std::size_t ending = 0;
      if (*stop == '\n') {
        ending = 1;
      } else if (count + 1 < held && stop[1] == '\n') {
        ending = 2;
      }
      if (ending != 0 && count <= line.size()) {
        std::memcpy(line.data(), begin, count);
        BlankAfter(input, line, count);
        input.pos += static_cast<std::int32_t>(count + ending);
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
    const auto held = static_cast<std::size_t>(input.fill - input.pos);
    const std::size_t size = std::min(room, held);
    const char* stop = FindLineEnd(begin, size);
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
  if (input.pos < input.fill && input.buffer[static_cast<std::size_t>(input.pos)] == '\n') {
    ++input.pos;
    return true;
  }
  if (input.pos + 1 < input.fill && input.buffer[static_cast<std::size_t>(input.pos)] == '\r' &&
      input.buffer[static_cast<std::size_t>(input.pos) + 1] == '\n') {
    input.pos += 2;
    return true;
  }
  for (;;) {
    if (input.pos == input.fill && !Refill(io, input)) {
      break;
    }
    const char* begin = input.buffer.Data() + input.pos;
    const auto held = static_cast<std::size_t>(input.fill - input.pos);
    const void* lf = std::memchr(begin, '\n', held);
    if (lf != nullptr) {
      input.pos = static_cast<std::int32_t>(static_cast<const char*>(lf) - input.buffer.Data()) + 1;
      break;
    }
    input.pos = input.fill;
  }
  return true;
}

}  // namespace

bool READ_RECORD(Io& io, std::int32_t unit, std::span<char> line) {
  Unit& input = UnitOf(io, unit);
  if (input.eof) {
    return false;
  }
#if defined(__SSE2__)
  if (TakeShortRecord(input, line)) {
    return true;
  }
#endif
  return ReadAnyRecord(io, input, line);
}

void BACKSPACE_INPUT(Io& io, std::int32_t unit) { BackspaceRecords(io, unit, 1); }

namespace {

// Moves `input` back `count` records, its end-of-file flag clear, reading
// earlier blocks as needed. Kept out of line, so that moving back within
// the bytes held stays light.
[[gnu::noinline]] void BackspaceThroughBlocks(Io& io, Unit& input, std::int64_t count) {
  std::int64_t held_start = input.end_offset - input.fill;  // file offset of buffer[0]
  if (held_start + input.pos == 0) {
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
    if (const char* lf = FindNthLastLf(base, base + scan_end, &count)) {
      input.pos = static_cast<std::int32_t>(lf - base) + 1;
      return;
    }
    if (held_start == 0) {
      input.pos = 0;
      return;
    }
    // The records began before the bytes held: read the block that ends
    // where they begin.
    const std::int64_t block_start = std::max<std::int64_t>(0, held_start - BufferSize(input));
    const std::int64_t want = held_start - block_start;
    const std::int64_t got = input.file->ReadAt(block_start, input.buffer.Data(), want);
    if (got < 0) {
      RaiseReadError(io, input, Operation::kBackspace);
    }
    // A file that shrank underneath gives fewer bytes; the positions stay
    // consistent with what was actually read.
    input.fill = static_cast<std::int32_t>(std::clamp<std::int64_t>(got, 0, want));
    input.end_offset = block_start + input.fill;
    held_start = block_start;
    scan_end = input.fill;
  }
}

}  // namespace

void BackspaceRecords(Io& io, std::int32_t unit, std::int64_t count) {
  Unit& input = UnitOf(io, unit);
  if (count <= 0) {
    return;
  }
  if (input.eof) {
    input.eof = false;
    if (--count == 0) {
      return;
    }
  }
  // Most moves stay within the bytes held: past the byte that ended the
  // record last read, the LFs wanted are all there.
  if (input.pos > 0) {
    std::int64_t wanted = count;
    const char* base = input.buffer.Data();
    if (const char* lf = FindNthLastLf(base, base + input.pos - 1, &wanted)) {
      input.pos = static_cast<std::int32_t>(lf - base) + 1;
      return;
    }
  }
  BackspaceThroughBlocks(io, input, count);
}

}  // namespace vellum::io
