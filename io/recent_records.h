// What a unit recalls of the records it read last, one after another:
// where each begins, so that moving back over them needs no search for
// their line ends. It recalls only records that lie in the bytes it holds
// as they were read, so holding other bytes forgets them.
#ifndef VELLUM_IO_RECENT_RECORDS_H_
#define VELLUM_IO_RECENT_RECORDS_H_

#include <algorithm>
#include <bit>
#include <cstdint>

#include "io/io.h"

namespace vellum::io {

static_assert(std::has_single_bit(kRecalledRecords), "the ring's slots wrap with its counter");

inline void ForgetRecent(InputUnit& input) { input.recent.count = 0; }

// Notes that the record from file offset `begin` to `end` was just read.
inline void Recall(RecentRecords& recent, std::int64_t begin, std::int64_t end) {
  if (recent.end != begin) {
    recent.count = 0;
  }
  recent.begins[recent.next++ % kRecalledRecords] = begin;
  recent.count = std::min(recent.count + 1, kRecalledRecords);
  recent.end = end;
  recent.last_read = true;
}

// Where the `back`th record before `position`, the unit's, begins, when the
// unit recalls it and still holds it: -1 otherwise.
inline std::int64_t RecalledBegin(const InputUnit& input, std::int64_t position,
                                  std::int64_t back) {
  const RecentRecords& recent = input.recent;
  if (back > recent.count || position != recent.end) {
    return -1;
  }
  const std::int64_t begin =
      recent.begins[(recent.next - static_cast<std::uint32_t>(back)) % kRecalledRecords];
  return begin >= BlockStart(input) ? begin : -1;
}

// Moves the unit back over its last `back` records to `begin`, where the
// first of them begins, as RecalledBegin gave it.
inline void MoveBackRecalled(InputUnit& input, std::int64_t begin, std::int64_t back) {
  RecentRecords& recent = input.recent;
  input.pos = static_cast<std::int32_t>(begin - BlockStart(input));
  recent.next -= static_cast<std::uint32_t>(back);
  recent.count -= static_cast<std::uint32_t>(back);
  recent.end = begin;
  recent.last_read = false;
}

}  // namespace vellum::io

#endif  // VELLUM_IO_RECENT_RECORDS_H_
