// How an input unit holds its file's bytes: blocks read into its read
// buffer or, for a file the platform maps, windows of it mapped into memory,
// which spare the copy. Touching a mapped window faults when the file has
// shrunk under it or its device fails; the unit then goes back to where it
// stood and reads the same bytes, reporting what reading them reports.
#ifndef VELLUM_IO_HELD_BYTES_H_
#define VELLUM_IO_HELD_BYTES_H_

#include <atomic>
#include <cstdint>
#include <type_traits>

#include "io/io.h"

namespace vellum::io {

// At the start of the file, holds its first window when the file maps;
// from then on the unit reads through windows until it stops mapping, and
// otherwise reads for good. Reads nothing.
void StartHolding(InputUnit& input);

// Holds the bytes from file offset `offset` on, the unit's position then at
// `offset`. Returns false when the file has no bytes there. A read error
// ends the run (READ, 6500).
bool HoldFrom(Io& io, InputUnit& input, std::int64_t offset);

// Holds bytes that end at file offset `offset`, more than 0, and returns
// how many of the bytes held lie before it: fewer when the file has shrunk,
// none when it no longer reaches that far. A read error ends the run
// (BACKSPACE, 6500).
std::int32_t HoldBefore(Io& io, InputUnit& input, std::int64_t offset);

// Where a unit stands and what its last record left, to go back to.
struct Place {
  std::int64_t offset = 0;
  bool eof = false;
  const char* last_line = nullptr;
  std::size_t last_length = 0;
};

inline Place PlaceOf(const InputUnit& input) {
  return {input.end_offset - input.fill + input.pos, input.eof, input.last_line, input.last_length};
}

// Gives up the unit's mapping for good, the unit standing at `place` and
// reading from there. What its last record left in a line is no longer
// known, so the next read blanks the whole line.
void StopMapping(InputUnit& input, const Place& place);

// Begins touching the unit's mapped window; EndTouch ends it and returns
// whether a fault was met meanwhile.
inline void BeginTouch(InputUnit& input) {
  TouchState& touches = *input.touches;
  if (touches.touches_before_fault >= 0 && touches.touches_before_fault-- == 0) {
    input.file->FaultNow();
  }
  touches.touching = 1;
  // The window's bytes are read only after the mark is set.
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

inline bool EndTouch(InputUnit& input) {
  std::atomic_signal_fence(std::memory_order_seq_cst);
  TouchState& touches = *input.touches;
  touches.touching = 0;
  if (touches.faulted == 0) {
    return false;
  }
  touches.faulted = 0;
  return true;
}

// Runs `op`, which may touch the bytes the unit holds and move it, and
// returns what it returns. When touching a mapped window faulted meanwhile,
// the unit goes back to where it stood, stops mapping, and `op` runs again
// on bytes read.
template <typename Op>
auto Touching(InputUnit& input, Op&& op) -> decltype(op()) {
  while (input.mapped) {
    const Place place = PlaceOf(input);
    BeginTouch(input);
    if constexpr (std::is_void_v<decltype(op())>) {
      op();
      if (!EndTouch(input)) {
        return;
      }
    } else {
      auto result = op();
      if (!EndTouch(input)) {
        return result;
      }
    }
    StopMapping(input, place);
  }
  return op();
}

}  // namespace vellum::io

#endif  // VELLUM_IO_HELD_BYTES_H_
