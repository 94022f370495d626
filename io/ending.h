// How a run ended, as the raiser of its end described it: the orderly stop or
// a failure (code, operation, file name, message) with the routine frames
// active when it was raised. STOP_RUN and RAISE_FAILURE fill it in and
// throw; the program's one boundary reads it to write the report.
#ifndef VELLUM_IO_ENDING_H_
#define VELLUM_IO_ENDING_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vellum::io {

// The kinds of statement a failure can come from; each has its category text.
enum class Operation { kWrite, kOpen, kRead, kRewind, kBackspace, kRangeCheck, kMemory };

// A failure as the place that found it describes it. Neither text is owned:
// the message is one of the layer's fixed texts, and the file name is copied
// into the ending when the failure is raised.
struct Failure {
  std::int32_t number = 0;
  Operation operation = Operation::kOpen;
  std::string_view file_name;  // ignored by operations whose report names no file
  std::string_view message;
};

// Where one active routine stood.
struct FrameRecord {
  std::string_view source;   // the source unit the routine belongs to
  std::string_view routine;  // empty for the main program
  std::int32_t statement = 0;
};

// More routines than this are never active at once.
inline constexpr std::size_t kMaxFrames = 8;

// The routines active at one moment, innermost first.
struct Trace {
  std::array<FrameRecord, kMaxFrames> frames{};
  std::size_t count = 0;
};

struct Ending {
  bool failed = false;  // false: the orderly stop
  Failure failure;      // its file_name refers to `name`
  std::string name;
  // The routines active when the run ended. A report's traceback empties
  // it, as the walk over the frames does.
  Trace trace;
};

}  // namespace vellum::io

#endif  // VELLUM_IO_ENDING_H_
