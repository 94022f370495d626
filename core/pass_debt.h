// The pass debt: runs of common lines passed without classifying them,
// while the loop limit is far enough off that their line ends bound their
// passes. Their passes are counted exactly, from the file, only when the
// limit may come within reach, which takes over 100,000,000 lines.
#ifndef VELLUM_CORE_PASS_DEBT_H_
#define VELLUM_CORE_PASS_DEBT_H_

#include <cstdint>
#include <vector>

#include "io/io.h"

namespace vellum::core {

// A run taken without classifying it: its bytes in file1, and how many
// records they hold, which bounds its passes.
struct DeferredRun {
  std::int64_t offset = 0;
  std::int64_t size = 0;
  std::int64_t records = 0;
};

struct PassDebt {
  PassDebt();
  std::int64_t most = 0;          // the passes deferred are at most this many
  std::vector<DeferredRun> runs;  // taken once, for kDeferredRuns
  std::vector<char> scratch;      // for reading them again, taken once
};

// Whether one more run can be deferred.
bool CanDefer(const PassDebt& debt);

// Defers the passes of a run of `records` records, `size` bytes from
// `offset` in file1; a run that follows the last one deferred joins it.
void Defer(PassDebt& debt, std::int64_t offset, std::int64_t size, std::int64_t records);

// The passes deferred, counted by reading the runs again from file1 and
// classifying their lines; each record of a run that cannot be read again
// whole counts as a pass. The debt is then cleared.
std::int64_t Settle(PassDebt& debt, io::Io& io);

}  // namespace vellum::core

#endif  // VELLUM_CORE_PASS_DEBT_H_
