// How a run ends: the orderly stop, the failure report with its execution
// traceback, the exit-time cleanup, and the routine frames that let a report
// say where it happened. Nothing else ends a run: STOP_RUN and RAISE_FAILURE
// throw RunEnd, which the program's one protected boundary catches before it
// runs ExitCleanup and returns the status.
#ifndef VELLUM_IO_TERMINATION_H_
#define VELLUM_IO_TERMINATION_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "io/io.h"

namespace vellum::io {

// Thrown to end the run with `status` (0 after STOP_RUN, 1 after a failure).
struct RunEnd {
  int status;
};

// One active routine of the core. `routine` is empty for the main program.
struct Frame {
  Frame* link = nullptr;
  std::string_view unit;
  std::string_view routine;
  std::int32_t statement = 0;
};

inline void PUSH_FRAME(Io& io, Frame& frame) {
  frame.link = io.frames;
  io.frames = &frame;
}

inline void POP_FRAME(Io& io) {
  if (io.frames != nullptr) {
    io.frames = io.frames->link;
  }
}

// Pushes a frame for the lifetime of a routine and keeps its statement
// number. The frame is popped on return, unless a traceback has already
// emptied the stack.
class RoutineFrame {
 public:
  RoutineFrame(Io& io, std::string_view routine, std::int32_t statement)
      : io_(io), frame_{nullptr, kSourceUnit, routine, statement} {
    PUSH_FRAME(io_, frame_);
  }
  ~RoutineFrame() {
    if (io_.frames == &frame_) {
      POP_FRAME(io_);
    }
  }
  RoutineFrame(const RoutineFrame&) = delete;
  RoutineFrame& operator=(const RoutineFrame&) = delete;

  // Records the statement the routine is executing now.
  void At(std::int32_t statement) { frame_.statement = statement; }

 private:
  Io& io_;
  Frame frame_;
};

// The kinds of statement a failure can come from; each has its category text.
enum class Operation { kClose, kWrite, kOpen, kRead, kRewind, kBackspace, kRangeCheck, kMemory };

struct Failure {
  std::int32_t number = 0;
  Operation operation = Operation::kOpen;
  std::string file_name;  // ignored by operations whose report names no file
  std::string message;
};

// The report of `failure` with the location of `innermost` (may be null),
// without the traceback.
std::string FormatFailure(const Failure& failure, const Frame* innermost);

// Writes the termination message and ends the run with status 0.
[[noreturn]] void STOP_RUN(Io& io);

// Writes the failure report and traceback to standard error and ends the run
// with status 1. During the exit-time cleanup it reports and returns.
void RAISE_FAILURE(Io& io, const Failure& failure);

// Closes every unit and writes the owed line end; runs once per run.
void ExitCleanup(Io& io);

}  // namespace vellum::io

#endif  // VELLUM_IO_TERMINATION_H_
