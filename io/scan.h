// Byte scans: the line ends, blanks and differences that reading records and
// passing over common runs look for, and the hint that brings memory into
// the cache ahead of use. This is the one place that names processor
// instructions. Each scan has a portable version; where the
// processor has SSE2 the program takes the wide one, 16 bytes at a time,
// unless it is built with VELLUM_PORTABLE_SCANS. Tests hold every wide scan
// against its portable version on the same bytes.
#ifndef VELLUM_IO_SCAN_H_
#define VELLUM_IO_SCAN_H_

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vellum::io::scan {

// Starts bringing the memory at `at` into the processor's cache; a hint
// only, which does nothing where the processor has no such instruction.
inline void Prefetch(const void* at) { __builtin_prefetch(at); }

// Bytes a mask covers: bit n of a mask stands for the byte at n.
inline constexpr std::size_t kMaskBytes = 64;

namespace portable {

// The first CR or LF in [begin, begin + size), or null.
inline const char* FindLineEnd(const char* begin, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (begin[i] == '\n' || begin[i] == '\r') {
      return begin + i;
    }
  }
  return nullptr;
}

// The first NUL in [begin, begin + size), or null.
inline const char* FindNul(const char* begin, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (begin[i] == '\0') {
      return begin + i;
    }
  }
  return nullptr;
}

// Counts LFs backwards from `end` in [begin, end): returns the `*wanted`-th
// one, or null when there are fewer, having lowered `*wanted` by those passed.
inline const char* FindNthLastLf(const char* begin, const char* end, std::int64_t* wanted) {
  while (end != begin) {
    --end;
    if (*end == '\n' && --*wanted == 0) {
      return end;
    }
  }
  return nullptr;
}

// The CRs and LFs among the kMaskBytes bytes at `at`.
inline std::uint64_t LineEndMask(const char* at) {
  std::uint64_t mask = 0;
  for (std::size_t i = 0; i < kMaskBytes; ++i) {
    mask |= static_cast<std::uint64_t>(at[i] == '\n' || at[i] == '\r') << i;
  }
  return mask;
}

// Writes kMaskBytes bytes to `out`: the first `count` of `in`, then blanks.
// All kMaskBytes bytes of `in` may be read.
inline void CopyPadded(char* out, const char* in, std::size_t count) {
  std::memcpy(out, in, count);
  std::memset(out + count, ' ', kMaskBytes - count);
}

// The length of the common prefix of a and b, both `size` bytes long.
inline std::size_t CommonPrefix(const char* a, const char* b, std::size_t size) {
  std::size_t same = 0;
  while (same < size && a[same] == b[same]) {
    ++same;
  }
  return same;
}

// LFs in [p, p + size).
inline std::int64_t CountLf(const char* p, std::size_t size) {
  std::int64_t count = 0;
  for (std::size_t i = 0; i < size; ++i) {
    count += p[i] == '\n' ? 1 : 0;
  }
  return count;
}

}  // namespace portable

#if defined(__SSE2__)
namespace wide {

// Bit n set where byte n of the 16 at `at` equals `byte`, or either byte.
inline unsigned Equal16(const char* at, char byte) {
  const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(byte))));
}
inline unsigned Either16(const char* at, char one, char other) {
  const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
      _mm_cmpeq_epi8(chunk, _mm_set1_epi8(one)), _mm_cmpeq_epi8(chunk, _mm_set1_epi8(other)))));
}

inline const char* FindLineEnd(const char* begin, std::size_t size) {
  std::size_t i = 0;
  for (; i + 16 <= size; i += 16) {
    if (const unsigned hits = Either16(begin + i, '\n', '\r'); hits != 0) {
      return begin + i + static_cast<std::size_t>(std::countr_zero(hits));
    }
  }
  return portable::FindLineEnd(begin + i, size - i);
}

inline const char* FindNul(const char* begin, std::size_t size) {
  if (size < 16) {
    return portable::FindNul(begin, size);
  }
  std::size_t i = 0;
  for (; i + 16 <= size; i += 16) {
    if (const unsigned hits = Equal16(begin + i, '\0'); hits != 0) {
      return begin + i + static_cast<std::size_t>(std::countr_zero(hits));
    }
  }
  // The last 16 bytes, of which those already looked at hold no NUL.
  const std::size_t last = size - 16;
  if (const unsigned hits = Equal16(begin + last, '\0'); i < size && hits != 0) {
    return begin + last + static_cast<std::size_t>(std::countr_zero(hits));
  }
  return nullptr;
}

inline std::int64_t CountLf(const char* p, std::size_t size) {
  // Each byte lane counts the LFs it meets over at most 255 chunks, before
  // it could wrap; then the lanes are summed. A popcount here would be a
  // library call wherever the build may not assume the instruction.
  constexpr std::size_t kChunksPerSum = 255;
  const __m128i lf = _mm_set1_epi8('\n');
  std::int64_t count = 0;
  std::size_t i = 0;
  while (i + 16 <= size) {
    __m128i lanes = _mm_setzero_si128();
    for (std::size_t chunk = 0; chunk < kChunksPerSum && i + 16 <= size; ++chunk, i += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, lf));
    }
    const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
    count += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
  }
  return count + portable::CountLf(p + i, size - i);
}

inline const char* FindNthLastLf(const char* begin, const char* end, std::int64_t* wanted) {
  // While many LFs are wanted, stretches that hold fewer are passed by
  // counting theirs.
  constexpr std::int64_t kFewLfs = 16;
  constexpr std::ptrdiff_t kStretch = 256;
  while (*wanted > kFewLfs && end - begin >= kStretch) {
    const std::int64_t lfs = CountLf(end - kStretch, kStretch);
    if (lfs >= *wanted) {
      break;
    }
    *wanted -= lfs;
    end -= kStretch;
  }
  while (end - begin >= 16) {
    const char* chunk = end - 16;
    for (unsigned hits = Equal16(chunk, '\n'); hits != 0;) {
      const auto top = static_cast<int>(std::bit_width(hits)) - 1;
      if (--*wanted == 0) {
        return chunk + top;
      }
      hits &= ~(1U << static_cast<unsigned>(top));
    }
    end = chunk;
  }
  return portable::FindNthLastLf(begin, end, wanted);
}

inline std::uint64_t LineEndMask(const char* at) {
  return std::uint64_t{Either16(at, '\n', '\r')} |
         std::uint64_t{Either16(at + 16, '\n', '\r')} << 16 |
         std::uint64_t{Either16(at + 32, '\n', '\r')} << 32 |
         std::uint64_t{Either16(at + 48, '\n', '\r')} << 48;
}

inline void CopyPadded(char* out, const char* in, std::size_t count) {
  const __m128i blanks = _mm_set1_epi8(' ');
  const __m128i limit = _mm_set1_epi8(static_cast<char>(count));
  __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  for (std::size_t at = 0; at < kMaskBytes; at += 16) {
    const __m128i data = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
    const __m128i keep = _mm_cmplt_epi8(index, limit);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at),
                     _mm_or_si128(_mm_and_si128(keep, data), _mm_andnot_si128(keep, blanks)));
    index = _mm_add_epi8(index, _mm_set1_epi8(16));
  }
}

inline std::size_t CommonPrefix(const char* a, const char* b, std::size_t size) {
  // 16 bytes at a time through the first stretch, where most runs of
  // differing files end; past it, chunks by memcmp, a page at a time so that
  // long equal runs cost few calls, and 16 bytes at a time again through the
  // chunk that differs.
  constexpr std::size_t kFirstStretch = 512;
  constexpr std::size_t kChunk = 4096;
  const auto equal16 = [&](std::size_t at) {
    return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + at)),
                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at)));
  };
  const auto differs_at = [&](std::size_t from, std::size_t to) {
    // 64 bytes a step while all are equal, then 16 at a time to the byte.
    for (; from + 64 <= to; from += 64) {
      const __m128i equal = _mm_and_si128(_mm_and_si128(equal16(from), equal16(from + 16)),
                                          _mm_and_si128(equal16(from + 32), equal16(from + 48)));
      if (_mm_movemask_epi8(equal) != 0xFFFF) {
        break;
      }
    }
    for (; from + 16 <= to; from += 16) {
      const auto equal = static_cast<unsigned>(_mm_movemask_epi8(equal16(from)));
      if (equal != 0xFFFFU) {
        return from + static_cast<std::size_t>(std::countr_zero(~equal));
      }
    }
    return from + portable::CommonPrefix(a + from, b + from, to - from);
  };
  std::size_t same = differs_at(0, std::min(size, kFirstStretch));
  if (same < kFirstStretch) {
    return same;
  }
  while (same < size) {
    const std::size_t chunk = std::min(kChunk, size - same);
    if (std::memcmp(a + same, b + same, chunk) != 0) {
      return differs_at(same, same + chunk);
    }
    same += chunk;
  }
  return same;
}

}  // namespace wide
#endif

// The scans the program takes.
#if defined(__SSE2__) && !defined(VELLUM_PORTABLE_SCANS)
namespace chosen = wide;
#else
namespace chosen = portable;
#endif
using chosen::CommonPrefix;
using chosen::CopyPadded;
using chosen::CountLf;
using chosen::FindLineEnd;
using chosen::FindNthLastLf;
using chosen::FindNul;
using chosen::LineEndMask;

// The first byte other than a blank in [p, end), or `end`: a word at a time,
// the first byte in memory being the word's lowest on a little-endian
// processor and its highest on a big-endian one.
inline const char* SkipBlanks(const char* p, const char* end) {
  static_assert(std::endian::native == std::endian::little ||
                std::endian::native == std::endian::big);
  constexpr std::uint64_t kBlanks = 0x2020202020202020ULL;
  while (end - p >= 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof(word));
    if (const std::uint64_t other = word ^ kBlanks; other != 0) {
      const int bit = std::endian::native == std::endian::little ? std::countr_zero(other)
                                                                 : std::countl_zero(other);
      return p + bit / 8;
    }
    p += 8;
  }
  while (p < end && *p == ' ') {
    ++p;
  }
  return p;
}

}  // namespace vellum::io::scan

#endif  // VELLUM_IO_SCAN_H_
