// The protected boundary around one run.
#include "app/run.h"

#include <new>
#include <optional>
#include <utility>

#include "core/driver.h"
#include "io/console.h"
#include "io/io.h"
#include "io/open.h"
#include "io/termination.h"

namespace vellum {
namespace {

constexpr std::string_view kMemoryMessage = "not enough memory to go on with the comparison";

// Room for a report beside the longest name it may show.
constexpr std::size_t kReportRoom = 1024;

// Writes the report of `ending` to standard error, after what standard
// output still holds. A failure of that flush is not reported over it.
void Report(io::Io& io, const io::Ending& ending, std::string& text) {
  (void)io::DrainStdout(io);
  text.clear();
  io::FormatReport(ending, text);
  io.platform.Write(io::Stream::kStderr, text);
}

// A failure met while the run ends, reported with the frames of the end.
void Fail(io::Io& io, const io::Failure& failure, std::string& text) {
  io.termination.ending.failed = true;
  io.termination.ending.failure = failure;
  Report(io, io.termination.ending, text);
}

// Writes the owed line end, if any, then `bytes`, and empties the output
// buffer; returns the failure met.
std::optional<io::Failure> WriteOut(io::Io& io, std::string_view bytes) {
  std::optional<io::Failure> refused;
  if (io.console.line_end_owed) {
    refused = io::PutStdout(io, io::kLineEnd);
  }
  if (!refused) {
    refused = io::PutStdout(io, bytes);
  }
  if (!refused) {
    refused = io::DrainStdout(io);
  }
  return refused;
}

// Ends the run as its recorded ending says: the termination message or the
// failure report, then the exit-time cleanup, which closes the units and
// writes the owed line end. Any write of standard output that fails here
// makes it a failed run.
int Finish(io::Io& io, std::string& text) {
  io::Ending& ending = io.termination.ending;
  int status = kExitStopped;
  if (ending.failed) {
    Report(io, ending, text);
    status = kExitFailed;
  } else if (const std::optional<io::Failure> refused = WriteOut(io, io::kStopMessage)) {
    Fail(io, *refused, text);
    status = kExitFailed;
  }
  io::CloseUnits(io);
  if (const std::optional<io::Failure> refused = WriteOut(io, {})) {
    // The cleanup runs outside every routine: its report has no location.
    ending.frame_count = 0;
    Fail(io, *refused, text);
    status = kExitFailed;
  }
  return status;
}

int Run(core::State& state, std::string& text) {
  io::Io& io = state.io;
  try {
    core::MAIN(state);
  } catch (const io::RunEnd&) {
    // io.termination.ending says how.
  } catch (const std::bad_alloc&) {
    if (!io.console.line_end_owed) {
      throw;  // nothing listed yet: the run could not start
    }
    io.termination.ending.failed = true;
    io.termination.ending.frame_count = 0;
    io.termination.ending.failure = {
        io::kFailureMemory, io::Operation::kMemory, {}, kMemoryMessage};
  }
  return Finish(io, text);
}

}  // namespace

int RunProgram(io::Platform& platform, std::vector<std::string> args, const Seams& seams) {
  try {
    // Everything the run needs, taken before anything is written.
    io::Io io(platform, std::move(args), seams.read_block);
    core::State state(io, seams.limits);
    state.search_override = seams.search;
    std::string text;
    text.reserve(kReportRoom + io.termination.ending.name.capacity());
    return Run(state, text);
  } catch (const std::bad_alloc&) {
    platform.Write(io::Stream::kStderr, io::kStartupMemoryMessage);
  }
  return kExitFatal;
}

}  // namespace vellum
