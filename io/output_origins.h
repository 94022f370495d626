// Where the bytes waiting in the console's output buffer were made, so that
// a write that fails is reported where its first lost byte was made, as if
// each record had been written when made. A note says from which buffered
// byte on the bytes were made by one trace of routines, the innermost of
// them at one statement. Notes made while the same frames are active share
// one trace: a routine's statement changes only while it is the innermost,
// so while the innermost frame is still the one pushed, its callers stand
// where they stood.
#ifndef VELLUM_IO_OUTPUT_ORIGINS_H_
#define VELLUM_IO_OUTPUT_ORIGINS_H_

#include <cstddef>
#include <cstdint>

#include "io/io.h"
#include "io/termination.h"

namespace vellum::io {

// Whether the notes are full, so that the bytes buffered must be written
// out before the next new note.
inline bool NotesFull(const Console& console) { return console.origin_count == kOutputOrigins; }

// Notes that the bytes buffered from now on are made by `given`, or by the
// routines active now when nothing is given; returns false, having changed
// nothing, when that needs a new note and the notes are full. Inline, as
// every record made asks.
inline bool NoteOrigin(Io& io, const Trace* given);

// The routines that made the buffered byte at `at`: those of the note that
// covers it, or those active now when none does.
Trace MadeBy(const Io& io, std::size_t at);

// Forgets every note, the bytes buffered having gone.
void ForgetOrigins(Console& console);

namespace origins {

// Whether the last note was made by the routines of `given`, or by those
// active now when nothing is given, save perhaps for the innermost one's
// statement.
inline bool SameRoutines(const Io& io, const Trace* given) {
  const Console& console = io.console;
  const Frame* frame = io.termination.frames;
  return console.origin_count > 0 &&
         (given != nullptr ? console.origin_given == given
                           : frame != nullptr && console.origin_frame == frame &&
                                 console.origin_pushes == io.termination.pushes);
}

// The statement of the innermost routine of `given`, or of those active
// now when nothing is given.
inline std::int32_t InnermostStatement(const Io& io, const Trace* given) {
  if (given != nullptr) {
    return given->count > 0 ? given->frames[0].statement : 0;
  }
  const Frame* frame = io.termination.frames;
  return frame != nullptr ? frame->record.statement : 0;
}

// Notes that the bytes buffered from now on were made at `statement` by the
// routines of trace number `trace`; there is room for the note.
inline void AppendNote(Console& console, std::int32_t statement, std::uint32_t trace) {
  console.origins[console.origin_count++] = {console.fill, statement, trace};
}

// The quick way, taken by most records: the routines of the last note, and
// room for a new one when their statement changed. Returns false, having
// changed nothing, for any other case.
inline bool NoteForTheSameRoutines(Io& io, const Trace* given) {
  Console& console = io.console;
  if (!SameRoutines(io, given)) {
    return false;
  }
  const OutputOrigin& last = console.origins[console.origin_count - 1];
  const std::int32_t statement = InnermostStatement(io, given);
  if (statement == last.statement) {
    return true;
  }
  if (console.origin_count == console.origins.size()) {
    return false;
  }
  AppendNote(console, statement, last.trace);
  return true;
}

// NoteOrigin's way for the other cases, the notes not full. Out of line,
// so that the quick way stays light.
void NoteNewOrigin(Io& io, const Trace* given);

}  // namespace origins

inline bool NoteOrigin(Io& io, const Trace* given) {
  if (origins::NoteForTheSameRoutines(io, given)) {
    return true;
  }
  if (NotesFull(io.console)) {
    return false;
  }
  origins::NoteNewOrigin(io, given);
  return true;
}

}  // namespace vellum::io

#endif  // VELLUM_IO_OUTPUT_ORIGINS_H_
