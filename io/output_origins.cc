// The notes of where buffered output was made.
#include "io/output_origins.h"

#include <algorithm>
#include <iterator>

namespace vellum::io {

void origins::NoteNewOrigin(Io& io, const Trace* given) {
  Console& console = io.console;
  std::size_t trace = 0;
  if (SameRoutines(io, given)) {
    trace = console.origins[console.origin_count - 1].trace;
  } else {
    if (console.trace_count == console.traces.size()) {
      console.traces.emplace_back();
    }
    trace = console.trace_count++;
    if (given != nullptr) {
      console.traces[trace] = *given;
    } else {
      CaptureTrace(io, console.traces[trace]);
    }
    console.origin_given = given;
    console.origin_frame = given != nullptr ? nullptr : io.termination.frames;
    console.origin_pushes = io.termination.pushes;
  }
  if (console.origin_count == console.origins.size()) {
    console.origins.emplace_back();
  }
  AppendNote(console, InnermostStatement(io, given), static_cast<std::uint32_t>(trace));
}

Trace MadeBy(const Io& io, std::size_t at) {
  const Console& console = io.console;
  const auto first = console.origins.begin();
  const auto last = first + static_cast<std::ptrdiff_t>(console.origin_count);
  const auto after = std::upper_bound(
      first, last, at,
      [](std::size_t offset, const OutputOrigin& origin) { return offset < origin.start; });
  if (after == first) {
    return TraceOf(io);
  }
  const OutputOrigin& origin = *std::prev(after);
  Trace trace = console.traces[origin.trace];
  if (trace.count > 0) {
    trace.frames[0].statement = origin.statement;
  }
  return trace;
}

void ForgetOrigins(Console& console) {
  console.origin_count = 0;
  console.trace_count = 0;
}

}  // namespace vellum::io
