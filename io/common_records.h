// Passing over a run of records that both input units hold byte for byte
// alike. Where two files agree, the comparison loop would read each pair of
// lines, find no NUL, skip the same ignorable lines in both and find every
// pair of significant lines in agreement; this does the same work on the
// bytes already held in the two read buffers, without copying lines.
#ifndef VELLUM_IO_COMMON_RECORDS_H_
#define VELLUM_IO_COMMON_RECORDS_H_

#include <cstdint>
#include <span>
#include <string_view>

#include "io/io.h"

namespace vellum::io {

// Tells whether a record's data (at most the line width) counts as a line
// of its own, that is, is not ignorable.
using RecordCounts = bool (*)(std::string_view data);

// Moves both units over the longest run of whole records, ended by LF, that
// starts at their positions, is identical in both read buffers and holds no
// NUL, stopping before the record that would make `max_counted` records
// counted. The run's last record is left in `line1` and `line2`, as reading
// it would have left it. Returns how many records of the run were counted.
// Does nothing when either unit has met its end of file.
std::int64_t SkipCommonRecords(Io& io, std::int64_t max_counted, RecordCounts counts,
                               std::span<char> line1, std::span<char> line2);

}  // namespace vellum::io

#endif  // VELLUM_IO_COMMON_RECORDS_H_
