// How a run ends: the orderly stop, the failure, and the routine frames that
// let a report say where it happened. STOP_RUN and RAISE_FAILURE only record
// the ending in the layer's state and throw RunEnd; the program's one
// boundary catches it, writes the termination message or the report, runs
// the exit-time cleanup and chooses the exit status.
#ifndef VELLUM_IO_TERMINATION_H_
#define VELLUM_IO_TERMINATION_H_

#include <cassert>
#include <cstdint>
#include <string>
#include <string_view>

#include "io/ending.h"
#include "io/io.h"

namespace vellum::io {

// Thrown to end the run; what ended it is in Io::ending.
struct RunEnd {};

// One active routine of the core, linked to its caller's frame. The
// routine's name is empty for the main program. Each frame pushed gets a
// stamp of its own, never 0.
struct Frame {
  Frame* link = nullptr;
  FrameRecord record;
  std::uint64_t stamp = 0;
};

inline void PUSH_FRAME(Io& io, Frame& frame) {
  frame.stamp = ++io.termination.pushes;
  frame.link = io.termination.innermost;
  io.termination.innermost = &frame;
}

inline void POP_FRAME(Io& io) {
  if (io.termination.innermost != nullptr) {
    io.termination.innermost = io.termination.innermost->link;
  }
}

// Pushes a frame for the lifetime of a routine and keeps its statement
// number; the frame is popped on return, and as the end of a run unwinds.
class RoutineFrame {
 public:
  RoutineFrame(Io& io, std::string_view routine, std::int32_t statement)
      : io_(io), frame_{nullptr, {kSourceUnit, routine, statement}, 0} {
    PUSH_FRAME(io_, frame_);
  }
  ~RoutineFrame() {
    if (io_.termination.innermost == &frame_) {
      POP_FRAME(io_);
    }
  }
  RoutineFrame(const RoutineFrame&) = delete;
  RoutineFrame& operator=(const RoutineFrame&) = delete;

  // Records the statement the routine is executing now. Only the innermost
  // routine executes, which the console's notes of where output was made
  // rely on.
  void At(std::int32_t statement) {
    assert(io_.termination.innermost == &frame_);
    frame_.record.statement = statement;
  }

 private:
  Io& io_;
  Frame frame_;
};

// Ends the run with the orderly stop, at the frames active now.
[[noreturn]] void STOP_RUN(Io& io);

// Ends the run with `failure`, at the frames active now.
[[noreturn]] void RAISE_FAILURE(Io& io, const Failure& failure);

// Ends the run with `failure`, as met by the routines of `trace`: a write of
// bytes that were made earlier and buffered.
[[noreturn]] void RaiseFailureAt(Io& io, const Failure& failure, const Trace& trace);

// The routines active now, innermost first.
Trace TraceOf(const Io& io);

// Writes the routines active now into `trace`, innermost first; its frames
// past the count are left as they were.
void CaptureTrace(const Io& io, Trace& trace);

// Appends to `text` the failure report of `ending`: the report line with
// the location of its innermost frame, the message, and the execution
// traceback when frames were active. `text` grows only past its capacity.
void FormatReport(const Ending& ending, std::string& text);

}  // namespace vellum::io

#endif  // VELLUM_IO_TERMINATION_H_
