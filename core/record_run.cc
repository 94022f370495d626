// Measuring a run of records both files hold alike.
#include "core/record_run.h"

#include "core/classify.h"
#include "core/core_constants.h"
#include "io/records.h"

namespace vellum::core {

RecordRun MeasureRecordRun(std::string_view records, std::int64_t max_counted) {
  // A line holding a NUL is reported as it is read, so a run never takes it.
  records = records.substr(0, records.find('\0'));
  RecordRun run;
  const io::TakenRecords taken =
      io::TakeWholeRecords(records, kLineWidth, [&](std::string_view data) {
        if (!IsIgnorableText(data)) {
          if (run.counted + 1 >= max_counted) {
            return false;
          }
          ++run.counted;
        }
        return true;
      });
  run.size = taken.size;
  run.last = taken.last;
  return run;
}

}  // namespace vellum::core

namespace vellum::core {

RecordRun TakeRecordRun(std::string_view records) {
  const io::TakenRecords taken =
      io::AllWholeRecords(records.substr(0, records.find('\0')), kLineWidth);
  return {taken.size, 0, taken.last};
}

}  // namespace vellum::core
