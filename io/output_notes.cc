// The notes of where buffered output was made.
#include "io/output_notes.h"

#include <algorithm>
#include <iterator>

namespace vellum::io {

void notes::AddNoteWithTrace(Io& io, const Trace* maker, std::uint64_t stamp) {
  Console& console = io.console;
  if (console.trace_count == console.traces.size()) {
    console.traces.emplace_back();
  }
  const std::size_t trace = console.trace_count++;
  if (maker != nullptr) {
    console.traces[trace] = *maker;
  } else {
    CaptureTrace(io, console.traces[trace]);
  }
  console.last_stamp = stamp;
  console.notes[console.note_count++] = {console.fill, InnermostStatement(io, maker),
                                         static_cast<std::uint32_t>(trace)};
}

Trace MadeBy(const Io& io, std::size_t at) {
  const Console& console = io.console;
  const OutputNote* first = console.notes.get();
  const OutputNote* last = first + console.note_count;
  const auto after = std::upper_bound(
      first, last, at,
      [](std::size_t offset, const OutputNote& note) { return offset < note.start; });
  if (after == first) {
    return TraceOf(io);
  }
  const OutputNote& note = *std::prev(after);
  Trace trace = console.traces[note.trace];
  if (trace.count > 0) {
    trace.frames[0].statement = note.statement;
  }
  return trace;
}

void ForgetNotes(Console& console) {
  console.note_count = 0;
  console.trace_count = 0;
  console.last_stamp = 0;
}

}  // namespace vellum::io
