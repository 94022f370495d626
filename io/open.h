// Naming and opening the input units. The core opens unit 1 and then unit 2
// without a name; the layer takes the next command-line argument not yet
// taken or, when none is left or it is blank, asks for a name at the prompt.
#ifndef VELLUM_IO_OPEN_H_
#define VELLUM_IO_OPEN_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "io/io.h"

namespace vellum::io {

// Obtains a name for `unit` and opens that file for reading. Returns only on
// success; a failure ends the run (OPEN). Once both units are open, the
// platform confines the process (Platform::Confine).
void OPEN_INPUT(Io& io, std::int32_t unit);

// Puts `unit` back before its first record. A device unit cannot be rewound
// and ends the run (REWIND, 6403).
void REWIND_INPUT(Io& io, std::int32_t unit);

// Closes both units: the exit-time cleanup's first step.
void CloseUnits(Io& io);

}  // namespace vellum::io

#endif  // VELLUM_IO_OPEN_H_
