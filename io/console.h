// The console unit: every record the core writes reaches standard output
// here, at once on a terminal or collected in large writes otherwise. A
// record's first byte is its carriage-control character and is not printed;
// the line break belongs to the start of a record, so CR LF is written
// before every record but the first of the run, and the last record's line
// end stays owed until the end of the run.
//
// Collecting changes no report: a write that fails is reported at the
// routines that made its first lost byte, as writing each record when made
// would have reported it. Any write that loses output fails the run: a full
// device with F6422, every other cause with F6421.
#ifndef VELLUM_IO_CONSOLE_H_
#define VELLUM_IO_CONSOLE_H_

#include <initializer_list>
#include <optional>
#include <string_view>

#include "io/ending.h"
#include "io/io.h"

namespace vellum::io {

// Writes one record made of `parts` joined, its control character included.
// An empty record counts as a record of one blank: an empty line.
void WriteRecord(Io& io, std::initializer_list<std::string_view> parts);

// Writes one record made of the control blank and `text`: the console line
// `text`. The same as WriteRecord(io, {" ", text}), on the listing's
// busiest path.
void WriteLine(Io& io, std::string_view text);

// Writes bytes to standard output outside the record discipline (the name
// prompt, the owed line end before it). A failure ends the run (WRITE).
void WriteStdout(Io& io, std::string_view bytes);

// Writes out what the console's output buffer holds; a failure ends the run
// as above.
void FlushStdout(Io& io);

// A failed write of standard output and the routines that made the first
// byte it lost.
struct WriteFailure {
  Failure failure;
  Trace trace;
};

// The same two without ending the run, for its end: the bytes count as made
// by `maker` (which must outlive the run's writes), and the failure met is
// returned.
std::optional<WriteFailure> PutStdout(Io& io, std::string_view bytes, const Trace& maker);
std::optional<WriteFailure> DrainStdout(Io& io);

// Whether any byte has gone to standard output, or waits to.
bool AnythingWritten(const Io& io);

}  // namespace vellum::io

#endif  // VELLUM_IO_CONSOLE_H_
