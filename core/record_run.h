// A run of records both files hold alike, as the comparison loop would take
// it: every record read pair by pair, none holding a NUL, the ignorable ones
// skipped in both files and every pair of significant lines agreeing. Only
// the significant ones count as passes of the loop.
#ifndef VELLUM_CORE_RECORD_RUN_H_
#define VELLUM_CORE_RECORD_RUN_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/state.h"

namespace vellum::core {

struct RecordRun {
  std::size_t size = 0;      // bytes of the whole records taken
  std::int64_t counted = 0;  // how many of them count as lines
  std::string_view last;     // the last one's data
};

// The longest run of whole records at the start of `records`, bytes both
// files hold alike, that stops before the first record holding a NUL and
// before the record that would make `max_counted` (at least 1) records
// counted.
RecordRun MeasureRecordRun(std::string_view records, std::int64_t max_counted);

// The same run where no count of lines is wanted, the loop limit being out
// of reach: every whole record before the first one holding a NUL, none of
// them classified, `counted` left 0.
RecordRun MeasureUncountedRun(std::string_view records);

// Whether the loop limit is out of reach for good: `passes` made, `limit`
// allowed, and `left1` and `left2` bytes of the files not yet passed (-1
// when not known). Each pass but the last passes at least one significant
// line of either file for good, and a significant line holds a byte and its
// LF, but for a file's last line.
inline bool LimitOutOfReach(std::int64_t passes, std::int64_t limit, std::int64_t left1,
                            std::int64_t left2) {
  return left1 >= 0 && left2 >= 0 && passes + (left1 + 1) / 2 + (left2 + 1) / 2 + 1 < limit;
}

// Lines both files hold alike would pass one pair a pass without a word:
// takes them in one step, `pass` passes made, and returns the passes they
// count.
std::int32_t PassCommonRun(State& s, std::int32_t pass);

}  // namespace vellum::core

#endif  // VELLUM_CORE_RECORD_RUN_H_
