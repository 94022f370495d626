// The protected boundary around one run.
#include "app/run.h"

#include <cstdlib>
#include <initializer_list>
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

// The C++ runtime allocates each exception it throws, and under an
// address-space limit just above the least the program starts in it may
// have found no room even for its emergency pool: the first bad_alloc would
// then abort the process. So a block of the heap is set aside from before
// anything can throw, and the first allocation that fails gives it back,
// where the exception thrown then finds room. A new-handler takes no
// argument, so the block is the program's one static.
constexpr std::size_t kExceptionReserve = std::size_t{16} * 1024;
void* exception_reserve = nullptr;

void GiveBackReserve() {
  std::free(exception_reserve);
  exception_reserve = nullptr;
  std::set_new_handler(nullptr);
}

// The capacity a report takes beside the longest name it may show.
constexpr std::size_t kReportCapacity = 1024;

// Writes the report of the run's failure to standard error. The traceback
// walks the frames away, so a later report has no location.
void Report(io::Io& io, std::string& text) {
  io::Ending& ending = io.termination.ending;
  text.clear();
  io::FormatReport(ending, text);
  io.platform.Write(io::Stream::kStderr, text);
  ending.trace.count = 0;
}

// Writes `bytes` as made where the run ended, then all that waits in the
// output buffer; returns the failure met.
std::optional<io::WriteFailure> WriteOut(io::Io& io,
                                         std::initializer_list<std::string_view> bytes) {
  for (const std::string_view piece : bytes) {
    if (std::optional<io::WriteFailure> failed =
            io::PutStdout(io, piece, io.termination.ending.trace)) {
      return failed;
    }
  }
  return io::DrainStdout(io);
}

// A failed write becomes the run's failure.
bool FailedBy(io::Io& io, const std::optional<io::WriteFailure>& failed) {
  if (!failed) {
    return false;
  }
  io::Ending& ending = io.termination.ending;
  ending.failed = true;
  ending.failure = failed->failure;
  ending.trace = failed->trace;
  return true;
}

// Ends the run as its recorded ending says: the termination message or the
// failure report, then the exit-time cleanup, which closes the units and
// writes the owed line end. A write of standard output that fails on the
// way makes it a failed run; one that failed before the recorded failure,
// record by record, is reported in its place.
int Finish(io::Io& io, std::string& text) {
  io::Ending& ending = io.termination.ending;
  if (!ending.failed) {
    const std::string_view owed = io.console.line_end_owed ? io::kLineEnd : "";
    (void)FailedBy(io, WriteOut(io, {owed, io::kStopMessage}));
  } else {
    (void)FailedBy(io, io::DrainStdout(io));
  }
  int status = kExitStopped;
  if (ending.failed) {
    Report(io, text);
    status = kExitFailed;
  }
  io::CloseUnits(io);
  if (io.console.line_end_owed && FailedBy(io, WriteOut(io, {io::kLineEnd}))) {
    Report(io, text);
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
    if (!io::AnythingWritten(io)) {
      throw;  // nothing written yet: the run could not start
    }
    io.termination.ending.failed = true;
    io.termination.ending.trace.count = 0;
    io.termination.ending.failure = {
        io::kFailureMemory, io::Operation::kMemory, {}, io::kMemoryMessage};
  }
  return Finish(io, text);
}

}  // namespace

int RunProgram(io::Platform& platform, std::vector<std::string> args, const RunSettings& settings) {
  try {
    // Everything the run needs, taken before anything is written.
    io::Io io(platform, std::move(args), settings.read_block);
    core::State state(io, settings.limits);
    state.search_override = settings.search;
    std::string text;
    text.reserve(kReportCapacity + io.termination.ending.name.capacity());
    return Run(state, text);
  } catch (const std::bad_alloc&) {
    platform.Write(io::Stream::kStderr, io::kStartupMemoryMessage);
  }
  return kExitFatal;
}

int RunNative(int argc, char** argv) {
  io::Platform& platform = io::NativePlatform();
  exception_reserve = std::malloc(kExceptionReserve);
  if (exception_reserve == nullptr) {
    platform.Write(io::Stream::kStderr, io::kStartupMemoryMessage);
    return kExitFatal;
  }
  std::set_new_handler(GiveBackReserve);
  std::vector<std::string> args;
  try {
    args = io::ProgramArguments(argc, argv);
  } catch (const std::bad_alloc&) {
    platform.Write(io::Stream::kStderr, io::kStartupMemoryMessage);
    return kExitFatal;
  }
  return RunProgram(platform, std::move(args));
}

}  // namespace vellum
