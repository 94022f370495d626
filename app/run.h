// The program's one protected boundary: sets up the I/O layer on a platform,
// runs the comparison, catches the end of the run, runs the exit-time
// cleanup and returns the exit status.
#ifndef VELLUM_APP_RUN_H_
#define VELLUM_APP_RUN_H_

#include <string>
#include <vector>

#include "core/state.h"
#include "io/io_constants.h"
#include "io/platform.h"

namespace vellum {

// Exit statuses: 0 after the orderly stop, 1 after a failure report, 255
// after a process-level fatal error.
inline constexpr int kExitFatal = 255;

// Sizes a run uses. The program always runs with these defaults; tests
// shrink them so that limits and buffer boundaries are reached with small
// inputs.
struct Seams {
  core::Limits limits;
  std::int32_t read_block = io::kReadBufferSize;
  core::SearchRoutine search = nullptr;  // the search in the program's place
};

// Runs vellum with `args` (argument 0 first) on `platform`.
int RunProgram(io::Platform& platform, std::vector<std::string> args, const Seams& seams = {});

}  // namespace vellum

#endif  // VELLUM_APP_RUN_H_
