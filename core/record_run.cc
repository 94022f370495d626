// Measuring a run of records both files hold alike.
#include "core/record_run.h"

#include "core/core_constants.h"
#include "core/ignorable.h"
#include "core/pass_debt.h"
#include "io/common_records.h"
#include "io/records.h"

namespace vellum::core {

RecordRun MeasureRecordRun(std::string_view records, std::int64_t max_counted) {
  // A line holding a NUL is reported as it is read, so a run never takes it.
  records = records.substr(0, records.find('\0'));
  RecordRun run;
  const io::WholeRecords taken =
      io::ScanWholeRecords(records, kLineWidth, [&](std::string_view data) {
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

RecordRun MeasureUncountedRun(std::string_view records) {
  const io::WholeRecords taken =
      io::AllWholeRecords(records.substr(0, records.find('\0')), kLineWidth);
  return {taken.size, 0, taken.last};
}

namespace {

// How the passes of the next part of a run are counted, chosen once per
// part.
enum class Counting {
  kNever,     // the loop limit is out of reach for good: nothing to count
  kDeferred,  // no line held could reach the limit: counted later, from the debt
  kNow,       // the limit may come within reach: counted line by line
};

// `at_most` passes made at most, debt included; `far` when no line of the
// next part could bring the limit within reach.
Counting ChooseCounting(const State& s, std::int64_t at_most, bool far) {
  const std::int64_t left1 = io::BytesLeft(s.io, kUnit1);
  if (LimitOutOfReach(at_most, s.limits.passes, left1, io::BytesLeft(s.io, kUnit2))) {
    return Counting::kNever;
  }
  // Deferred passes are counted by reading file1 again, so it must be a
  // file of known size.
  if (far && left1 >= 0 && CanDefer(s.debt)) {
    return Counting::kDeferred;
  }
  return Counting::kNow;
}

}  // namespace

std::int32_t PassCommonRun(State& s, std::int32_t pass) {
  std::int64_t counted = 0;
  // Bytes held alike are passed a part at a time, until a part passes none.
  for (;;) {
    const std::size_t ahead = io::CommonAheadLimit(s.io);
    const std::int64_t at_most = pass + counted + s.debt.most;
    const bool far = at_most + static_cast<std::int64_t>(ahead) + 1 < s.limits.passes;
    const Counting counting = ChooseCounting(s, at_most, far);
    // Once the limit may be near, what is deferred is counted first.
    if (counting == Counting::kNow && !far && s.debt.most > 0) {
      counted += Settle(s.debt, s.io);
    }
    const std::int64_t most_counted = s.limits.passes - pass - counted - s.debt.most;
    const std::int64_t offset = io::Position(s.io, kUnit1);
    std::int64_t records = 0;
    bool differs = false;  // the bytes held alike end where the files differ
    const RecordRun run =
        io::PassCommonRecords(s.io, s.LINE1, s.LINE2, [&](std::string_view alike) {
          differs = alike.size() < ahead;
          if (counting == Counting::kNow) {
            return MeasureRecordRun(alike, most_counted);
          }
          const RecordRun taken = MeasureUncountedRun(alike);
          if (counting == Counting::kDeferred) {
            records = io::CountRecords(alike.substr(0, taken.size));
          }
          return taken;
        });
    if (run.size == 0) {
      return static_cast<std::int32_t>(counted);
    }
    if (counting == Counting::kDeferred) {
      Defer(s.debt, offset, static_cast<std::int64_t>(run.size), records);
    }
    counted += run.counted;
    // Every whole record before the difference was taken: the next part
    // would start in the record that holds it, and pass none.
    if (differs) {
      if (counting == Counting::kNever) {
        return static_cast<std::int32_t>(counted);
      }
    } else {
      io::ReadOnAheadOfBoth(s.io);
    }
  }
}

}  // namespace vellum::core
