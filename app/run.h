// The program's one protected boundary: sets up the I/O layer on a platform,
// runs the comparison, catches the end of the run, writes the termination
// message or the failure report, runs the exit-time cleanup and returns the
// exit status. Nothing else writes to standard error or picks a status.
#ifndef VELLUM_APP_RUN_H_
#define VELLUM_APP_RUN_H_

#include <string>
#include <vector>

#include "core/state.h"
#include "io/io_constants.h"
#include "io/platform/platform.h"

namespace vellum {

// Exit statuses: after the orderly stop, after a failure report, and when
// the run could not get the memory it needs to start.
inline constexpr int kExitStopped = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitFatal = 255;

// Sizes a run uses. The program always runs with these defaults; tests
// shrink them so that limits and buffer boundaries are reached with small
// inputs.
struct RunSettings {
  core::Limits limits;
  std::int32_t read_block = io::kReadBufferSize;
  core::SearchRoutine search = nullptr;  // the search in the program's place
};

// Runs vellum with `args` (argument 0 first) on `platform`.
int RunProgram(io::Platform& platform, std::vector<std::string> args,
               const RunSettings& settings = {});

// Runs vellum as the process: on the native platform, with the process's
// arguments. Even the arguments are taken inside the boundary.
int RunNative(int argc, char** argv);

}  // namespace vellum

#endif  // VELLUM_APP_RUN_H_
