// Where the bytes waiting in the console's output buffer were made, so that
// a write that fails is reported where its first lost byte was made, as if
// each record had been written when made. A note says from which buffered
// byte on the bytes were made by one trace of routines, the innermost of
// them at one statement. Notes made while the same innermost frame is
// active share one trace: a routine's statement changes only while it is
// the innermost, so its callers stand where they stood. That frame is known
// by the stamp it was given when pushed.
//
// Memory: kOutputNotes notes of 16 bytes and kOutputTraces traces, reserved
// when the run starts and made resident only as they are first used.
#ifndef VELLUM_IO_OUTPUT_NOTES_H_
#define VELLUM_IO_OUTPUT_NOTES_H_

#include <cstddef>
#include <cstdint>

#include "io/io.h"
#include "io/termination.h"

namespace vellum::io {

// Notes that the bytes buffered from now on are made by `maker`, or by the
// routines active now when no maker is named. Returns false, having changed
// nothing, when the notes are full: the bytes buffered must be written out
// first. Inline, as every record made asks.
inline bool AddNote(Io& io, const Trace* maker);

// The routines that made the buffered byte at `at`: those of the note that
// covers it, or those active now when none does.
Trace MadeBy(const Io& io, std::size_t at);

// Forgets every note, the bytes buffered having gone.
void ForgetNotes(Console& console);

namespace notes {

// The stamp of the routines active now: their innermost frame's, 0 when
// none is active or a maker is named, which never match a note's.
inline std::uint64_t StampOf(const Io& io, const Trace* maker) {
  const Frame* frame = io.termination.innermost;
  return maker == nullptr && frame != nullptr ? frame->stamp : 0;
}

// The statement of the innermost routine of `maker`, or of those active
// now when no maker is named.
inline std::int32_t InnermostStatement(const Io& io, const Trace* maker) {
  if (maker != nullptr) {
    return maker->count > 0 ? maker->frames[0].statement : 0;
  }
  const Frame* frame = io.termination.innermost;
  return frame != nullptr ? frame->record.statement : 0;
}

// Adds a note for a new trace, copied from `maker` or from the routines
// active now; neither the notes nor the traces are full. Out of line, so that AddNote stays
// light.
void AddNoteWithTrace(Io& io, const Trace* maker, std::uint64_t stamp);

}  // namespace notes

inline bool AddNote(Io& io, const Trace* maker) {
  Console& console = io.console;
  const std::uint64_t stamp = notes::StampOf(io, maker);
  const bool same_routines = stamp != 0 && stamp == console.last_stamp;
  if (same_routines) {
    const OutputNote& last = console.notes[console.note_count - 1];
    const std::int32_t statement = notes::InnermostStatement(io, maker);
    if (statement == last.statement) {
      return true;
    }
    if (console.note_count == kOutputNotes) {
      return false;
    }
    console.notes[console.note_count++] = {console.fill, statement, last.trace};
    return true;
  }
  if (console.note_count == kOutputNotes || console.trace_count == kOutputTraces) {
    return false;
  }
  notes::AddNoteWithTrace(io, maker, stamp);
  return true;
}

}  // namespace vellum::io

#endif  // VELLUM_IO_OUTPUT_NOTES_H_
