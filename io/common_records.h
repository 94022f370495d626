// The bytes both input units hold alike. Where two files agree, the
// comparison loop would read each pair of lines and find them equal; the
// bytes both units hold alike from their positions on let a run of such
// records be passed over in one step, without copying lines.
#ifndef VELLUM_IO_COMMON_RECORDS_H_
#define VELLUM_IO_COMMON_RECORDS_H_

#include <algorithm>
#include <span>
#include <string_view>

#include "io/io.h"
#include "io/records.h"

namespace vellum::io {

// The longest run of bytes that both units hold from their positions on, up
// to kAlikeAtOnce of them. The bytes are unit 1's.
std::string_view CommonAhead(const InputUnit& first, const InputUnit& second);

// The most bytes CommonAhead looks at, and so the most records PassCommonRecords
// can pass now.
inline std::size_t CommonAheadLimit(const InputUnit& first, const InputUnit& second) {
  return std::min({BlockAhead(first).size(), BlockAhead(second).size(), kAlikeAtOnce});
}
inline std::size_t CommonAheadLimit(Io& io) {
  return CommonAheadLimit(UnitOf(io, kUnit1), UnitOf(io, kUnit2));
}

// Before the next part of a run of common records: each unit that keeps
// few bytes past its position reads on, so that the next part is not cut
// short at its block's end.
void ReadOnAheadOfBoth(Io& io);

// Passes both units over a run of whole records at the start of the bytes
// both hold alike: `measure(alike)` returns the run, whose `size` is the
// bytes to pass and `last` the data of the last record passed, which
// `line1` and `line2` are left holding as reading it would have left them.
// Returns the run passed; an empty one when either unit has met its end of
// file.
template <typename Measure>
auto PassCommonRecords(Io& io, std::span<char> line1, std::span<char> line2, Measure&& measure)
    -> decltype(measure(std::string_view())) {
  using Run = decltype(measure(std::string_view()));
  InputUnit& first = UnitOf(io, kUnit1);
  InputUnit& second = UnitOf(io, kUnit2);
  if (first.eof || second.eof) {
    return Run{};
  }
  const Run run = measure(CommonAhead(first, second));
  if (run.size > 0) {
    AdvanceBothOver(io, run.size, run.last, line1, line2);
  }
  return run;
}

}  // namespace vellum::io

#endif  // VELLUM_IO_COMMON_RECORDS_H_
