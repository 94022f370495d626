// The process-wide state of the I/O layer: the platform it talks to, the
// command-line arguments with their cursor, the two input units, the console
// unit's line-end owed flag, the routine frames and the shutdown flag. One
// instance lives for a run; every operation of the layer takes it.
#ifndef VELLUM_IO_IO_H_
#define VELLUM_IO_IO_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "io/io_constants.h"
#include "io/platform.h"

namespace vellum::io {

struct Frame;

// An input unit: one open file read through one fixed read buffer. The
// unit's position in the file is end_offset - fill + pos.
struct Unit {
  bool open = false;
  std::int32_t number = 0;
  std::string name;  // the name as opened
  std::unique_ptr<InputFile> file;
  bool is_device = false;
  FileIdentity identity;
  bool has_identity = false;    // false for a device word, which opens no file
  std::vector<char> buffer;     // the read buffer, of the Io's read_block bytes
  std::int32_t fill = 0;        // valid bytes in buffer
  std::int32_t pos = 0;         // next byte to take from buffer
  std::int64_t end_offset = 0;  // file offset just after the bytes held
  bool eof = false;             // set when a read found no record left
  // The line the last record was read into, and how many data bytes it
  // got: past them the line is blank, so only that much needs blanking again.
  const char* last_line = nullptr;
  std::size_t last_length = 0;
};

struct Io {
  Io(Platform& platform_in, std::vector<std::string> args_in)
      : platform(platform_in),
        args(std::move(args_in)),
        buffer_stdout(platform_in.StdoutTakesBlocks()),
        out_buffer(buffer_stdout ? kOutputBufferSize : 0) {}

  Platform& platform;
  std::vector<std::string> args;  // argument 0 is the program and never used
  std::int32_t arg_cursor = 1;    // next argument not yet taken
  bool stdin_ended = false;       // a line holding only Ctrl-Z ended standard input
  std::array<Unit, kUnitCount> units;
  // Bytes for standard output are collected here when it takes blocks.
  bool buffer_stdout;
  std::vector<char> out_buffer;
  std::size_t out_fill = 0;
  // Bytes each unit reads at a time; tests make it tiny.
  std::int32_t read_block = kReadBufferSize;
  bool line_end_owed = false;  // the last console record still lacks its line end
  Frame* frames = nullptr;     // innermost active routine frame
  bool shutdown = false;       // set once the exit-time cleanup has begun
  // Set once a write to standard output has failed and been reported, so
  // that the end of the run does not report the same broken output again.
  bool stdout_failed = false;
};

// The unit numbered `number`: 2 is unit 2, anything else unit 1.
inline Unit& UnitOf(Io& io, std::int32_t number) { return io.units[number == 2 ? 1 : 0]; }

}  // namespace vellum::io

#endif  // VELLUM_IO_IO_H_
