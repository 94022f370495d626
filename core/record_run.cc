// Measuring a run of records: line ends found 64 or 16 bytes at a time, each
// record classified from its first bytes.
#include "core/record_run.h"

#include <algorithm>
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/classify.h"
#include "core/core_constants.h"

namespace vellum::core {
namespace {

// Whether the record [start, lf), ended by the LF at `lf`, counts as a line:
// IsIgnorableText of its data (its bytes before the first CR, at most a
// line's width) is false.
bool RecordCounts(const char* start, const char* lf) {
  const char first = *start;
  if (!MayBeginIgnorable(first)) {
    return first != '\r' && start != lf;
  }
  // A blank or a marker in column 1 counts only with something other than
  // blanks after it, unless the line is the banner.
  const char* end = start + std::min<std::ptrdiff_t>(lf - start, kLineWidth);
  const char* mark = SkipBlanks(start + 1, end);
  if (mark == end || *mark == '\r') {
    return false;
  }
  return !(first == ' ' && static_cast<std::size_t>(mark - start) == kBannerMark &&
           static_cast<std::size_t>(lf - start) >= kBanner.size() &&
           std::memcmp(start, kBanner.data(), kBanner.size()) == 0);
}

class Measure {
 public:
  Measure(std::string_view records, std::int64_t max_counted)
      : base_(records.data()), size_(records.size()), max_counted_(max_counted) {}

  RecordRun Result() {
    Scan();
    run_.size = start_;
    if (start_ > 0) {
      std::string_view data(base_ + last_start_,
                            std::min<std::size_t>(last_lf_ - last_start_, kLineWidth));
      run_.last = data.substr(0, data.find('\r'));
    }
    return run_;
  }

 private:
  // Takes the record that the LF at `lf` ends; false when it is not taken.
  bool Take(std::size_t lf) {
    if (RecordCounts(base_ + start_, base_ + lf)) {
      if (run_.counted + 1 >= max_counted_) {
        return false;
      }
      ++run_.counted;
    }
    last_start_ = start_;
    last_lf_ = lf;
    start_ = lf + 1;
    return true;
  }

  void Scan() {
    std::size_t i = 0;
#if defined(__SSE2__)
    // A mask of the LFs among 64 bytes, bit n for byte n.
    const __m128i lf = _mm_set1_epi8('\n');
    const auto hits16 = [&](std::size_t at) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base_ + at));
      return static_cast<std::uint64_t>(
          static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lf))));
    };
    for (; i + 64 <= size_; i += 64) {
      std::uint64_t hits =
          hits16(i) | hits16(i + 16) << 16 | hits16(i + 32) << 32 | hits16(i + 48) << 48;
      for (; hits != 0; hits &= hits - 1) {
        if (!Take(i + static_cast<std::size_t>(std::countr_zero(hits)))) {
          return;
        }
      }
    }
    for (; i + 16 <= size_; i += 16) {
      for (std::uint64_t hits = hits16(i); hits != 0; hits &= hits - 1) {
        if (!Take(i + static_cast<std::size_t>(std::countr_zero(hits)))) {
          return;
        }
      }
    }
#endif
    for (; i < size_; ++i) {
      if (base_[i] == '\n' && !Take(i)) {
        return;
      }
    }
  }

  const char* base_;
  std::size_t size_;
  std::int64_t max_counted_;
  RecordRun run_;
  std::size_t start_ = 0;       // of the next record
  std::size_t last_start_ = 0;  // of the last record taken
  std::size_t last_lf_ = 0;
};

}  // namespace

RecordRun MeasureRecordRun(std::string_view records, std::int64_t max_counted) {
  return Measure(records, max_counted).Result();
}

}  // namespace vellum::core
