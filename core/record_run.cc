// Measuring a run of records: line ends found 64 bytes at a time, each
// record classified from its first bytes.
#include "core/record_run.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/classify.h"
#include "core/core_constants.h"
#include "io/scan.h"

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
  const char* mark = io::scan::SkipBlanks(start + 1, end);
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
    for (; i + io::scan::kMaskBytes <= size_; i += io::scan::kMaskBytes) {
      for (std::uint64_t hits = io::scan::LfMask(base_ + i); hits != 0; hits &= hits - 1) {
        if (!Take(i + static_cast<std::size_t>(std::countr_zero(hits)))) {
          return;
        }
      }
    }
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
