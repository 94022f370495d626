// The bytes both input units hold alike. Where two files agree, the
// comparison loop would read each pair of lines and find them equal; the
// bytes both read buffers hold alike from the units' positions on let a
// run of such records be passed over in one step, without copying lines.
#ifndef VELLUM_IO_COMMON_RECORDS_H_
#define VELLUM_IO_COMMON_RECORDS_H_

#include <cstddef>
#include <span>
#include <string_view>

#include "io/io.h"

namespace vellum::io {

// The longest run of bytes that both read buffers hold from their units'
// positions on, cut before its first NUL (a line holding one is reported
// when read). Empty when either unit has met its end of file. The bytes are
// unit 1's and stay valid until either unit is read or moved.
std::string_view HeldAlike(Io& io);

// Moves both units over the first `size` bytes of HeldAlike, which end with
// a LF, leaving `last`, the data of the last record passed, in `line1` and
// `line2` as reading that record would have left it.
void PassHeldAlike(Io& io, std::size_t size, std::string_view last, std::span<char> line1,
                   std::span<char> line2);

}  // namespace vellum::io

#endif  // VELLUM_IO_COMMON_RECORDS_H_
