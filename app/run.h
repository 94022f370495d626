// The program's one protected boundary: sets up the I/O layer on a platform,
// runs the comparison, catches the end of the run, runs the exit-time
// cleanup and returns the exit status.
#ifndef VELLUM_APP_RUN_H_
#define VELLUM_APP_RUN_H_

#include <string>
#include <vector>

#include "core/state.h"
#include "io/platform.h"

namespace vellum {

// Exit statuses: 0 after the orderly stop, 1 after a failure report, 255
// after a process-level fatal error.
inline constexpr int kExitFatal = 255;

// Runs vellum with `args` (argument 0 first) on `platform`. The program
// always passes the default limits; tests pass smaller ones.
int RunProgram(io::Platform& platform, std::vector<std::string> args,
               core::Limits limits = core::Limits{});

}  // namespace vellum

#endif  // VELLUM_APP_RUN_H_
