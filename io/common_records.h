// The bytes both input units hold alike. Where two files agree, the
// comparison loop would read each pair of lines and find them equal; the
// bytes both read buffers hold alike from the units' positions on let a
// run of such records be passed over in one step (PassRecordsHeldAlike),
// without copying lines.
#ifndef VELLUM_IO_COMMON_RECORDS_H_
#define VELLUM_IO_COMMON_RECORDS_H_

#include <string_view>

#include "io/io.h"

namespace vellum::io {

// The longest run of bytes that both read buffers hold from their units'
// positions on. Empty when either unit has met its end of file. The bytes
// are unit 1's and stay valid until either unit is read or moved.
std::string_view HeldAlike(Io& io);

}  // namespace vellum::io

#endif  // VELLUM_IO_COMMON_RECORDS_H_
