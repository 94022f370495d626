// Deferring and settling the passes of runs taken without classifying them.
#include "core/pass_debt.h"

#include <string_view>

#include "core/core_constants.h"
#include "core/ignorable.h"
#include "io/read_again.h"

namespace vellum::core {

PassDebt::PassDebt() : scratch(kSettleScratch) { runs.reserve(kDeferredRuns); }

bool CanDefer(const PassDebt& debt) { return debt.runs.size() < kDeferredRuns; }

void Defer(PassDebt& debt, std::int64_t offset, std::int64_t size, std::int64_t records) {
  debt.most += records;
  if (!debt.runs.empty() && debt.runs.back().offset + debt.runs.back().size == offset) {
    debt.runs.back().size += size;
    debt.runs.back().records += records;
    return;
  }
  debt.runs.push_back({offset, size, records});
}

std::int64_t Settle(PassDebt& debt, io::Io& io) {
  std::int64_t passes = 0;
  for (const DeferredRun& run : debt.runs) {
    std::int64_t lines = 0;
    const std::int64_t read =
        io::ReadRecordsAgain(io, kUnit1, run.offset, run.size, static_cast<std::size_t>(kLineWidth),
                             debt.scratch, [&lines](std::string_view data) {
                               if (!IsIgnorableText(data)) {
                                 ++lines;
                               }
                             });
    passes += read == run.records ? lines : run.records;
  }
  debt.most = 0;
  debt.runs.clear();
  return passes;
}

}  // namespace vellum::core
