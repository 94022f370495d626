// A run of records both files hold alike, as the comparison loop would take
// it: every record read pair by pair, none holding a NUL, the ignorable ones
// skipped in both files and every pair of significant lines agreeing. Only
// the significant ones count as passes of the loop.
#ifndef VELLUM_CORE_RECORD_RUN_H_
#define VELLUM_CORE_RECORD_RUN_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

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

}  // namespace vellum::core

#endif  // VELLUM_CORE_RECORD_RUN_H_
