// The run driver: opens both files, writes the opening rule and runs the
// comparison loop. Each pass reads the next significant line of each file;
// a disagreeing pair starts the re-synchronisation search. The run ends when
// both files end together, when one ends first (the rest of the other is
// listed), when a file ends during a search, or at the loop limit. MAIN
// never returns: every end goes through STOP_RUN or a failure report.
#ifndef VELLUM_CORE_DRIVER_H_
#define VELLUM_CORE_DRIVER_H_

#include "core/state.h"

namespace vellum::core {

[[noreturn]] void MAIN(State& s);

}  // namespace vellum::core

#endif  // VELLUM_CORE_DRIVER_H_
