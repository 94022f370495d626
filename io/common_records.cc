// The bytes both units hold alike.
#include "io/common_records.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "io/records.h"

namespace vellum::io {
namespace {

constexpr std::size_t kCompareChunk = 256;

// Length of the common prefix of a and b, both `size` bytes long: whole
// chunks, then 16 bytes at a time where the processor allows, then bytes.
std::size_t CommonPrefix(const char* a, const char* b, std::size_t size) {
  std::size_t same = 0;
  while (same + kCompareChunk <= size && std::memcmp(a + same, b + same, kCompareChunk) == 0) {
    same += kCompareChunk;
  }
#if defined(__SSE2__)
  for (; same + 16 <= size; same += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + same));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + same));
    const auto equal = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)));
    if (equal != 0xFFFFU) {
      return same + static_cast<std::size_t>(__builtin_ctz(~equal));
    }
  }
#endif
  while (same < size && a[same] == b[same]) {
    ++same;
  }
  return same;
}

// Puts `data` into `line` as a read would: the data, then blanks.
void FillLine(Unit& input, std::span<char> line, std::string_view data) {
  std::memcpy(line.data(), data.data(), data.size());
  std::memset(line.data() + data.size(), ' ', line.size() - data.size());
  input.last_line = line.data();
  input.last_length = data.size();
}

}  // namespace

std::string_view HeldAlike(Io& io) {
  if (UnitOf(io, kUnit1).eof || UnitOf(io, kUnit2).eof) {
    return {};
  }
  const std::string_view first = HeldAhead(io, kUnit1);
  const std::string_view second = HeldAhead(io, kUnit2);
  const char* a = first.data();
  const std::size_t size = CommonPrefix(a, second.data(), std::min(first.size(), second.size()));
  if (const void* nul = std::memchr(a, '\0', size)) {
    return {a, static_cast<std::size_t>(static_cast<const char*>(nul) - a)};
  }
  return {a, size};
}

void PassHeldAlike(Io& io, std::size_t size, std::string_view last, std::span<char> line1,
                   std::span<char> line2) {
  Unit& first = UnitOf(io, kUnit1);
  Unit& second = UnitOf(io, kUnit2);
  first.pos += static_cast<std::int32_t>(size);
  second.pos += static_cast<std::int32_t>(size);
  FillLine(first, line1, last);
  FillLine(second, line2, last);
}

}  // namespace vellum::io
