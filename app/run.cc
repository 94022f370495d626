// The protected boundary around one run.
#include "app/run.h"

#include <new>
#include <utility>

#include "core/driver.h"
#include "io/io.h"
#include "io/termination.h"

namespace vellum {

int RunProgram(io::Platform& platform, std::vector<std::string> args, const Seams& seams) {
  try {
    io::Io io(platform, std::move(args));
    io.read_block = seams.read_block;
    core::State state(io, seams.limits);
    state.search_override = seams.search;
    try {
      core::MAIN(state);
    } catch (const io::RunEnd& end) {
      io::ExitCleanup(io);
      return end.status;
    }
  } catch (const std::bad_alloc&) {
    // No memory for the run's own tables: end at once, without the cleanup.
    platform.Write(io::Stream::kStderr, "\r\nruntime error R6016\r\n- not enough space\r\n");
  }
  return kExitFatal;
}

}  // namespace vellum
