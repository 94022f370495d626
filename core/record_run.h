// A run of records both files hold alike, as the comparison loop would take
// it: every record read pair by pair, none holding a NUL, the ignorable ones
// skipped in both files and every pair of significant lines agreeing. Only
// the significant ones count as passes of the loop, so the run is measured
// here by the same rule as IsIgnorableText, settled from each record's
// bytes in one pass over the run.
#ifndef VELLUM_CORE_RECORD_RUN_H_
#define VELLUM_CORE_RECORD_RUN_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vellum::core {

struct RecordRun {
  std::size_t size = 0;      // bytes of the whole records taken
  std::int64_t counted = 0;  // how many of them count as lines
  std::string_view last;     // the last one's data: at most a line, before any CR
};

// The longest run of whole records, each ended by LF, at the start of
// `records` that stops before the record that would make `max_counted`
// (at least 1) records counted.
RecordRun MeasureRecordRun(std::string_view records, std::int64_t max_counted);

}  // namespace vellum::core

#endif  // VELLUM_CORE_RECORD_RUN_H_
