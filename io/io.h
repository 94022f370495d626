// The state of the I/O layer for one run: the platform it talks to, the
// command-line arguments with their cursor, the two input units, the console
// unit's output buffer and line-end owed flag, the routine frames and how the
// run ended. Every operation of the layer takes it. Its buffers are taken
// when it is made, untouched, so resident memory grows only with use; what
// a run takes later (a prompted name, a report's text) is small, and memory
// running out then is a report, not a crash (app/run).
#ifndef VELLUM_IO_IO_H_
#define VELLUM_IO_IO_H_

#include <array>
#include <cassert>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "io/ending.h"
#include "io/io_constants.h"
#include "io/platform/platform.h"

namespace vellum::io {

struct Frame;

// Bytes taken once and left uninitialised until they are written.
class ByteBuffer {
 public:
  explicit ByteBuffer(std::size_t size)
      : bytes_(std::make_unique_for_overwrite<char[]>(size)), size_(size) {}
  char* Data() { return bytes_.get(); }
  const char* Data() const { return bytes_.get(); }
  std::size_t Size() const { return size_; }
  char& operator[](std::size_t at) { return bytes_[at]; }

 private:
  std::unique_ptr<char[]> bytes_;
  std::size_t size_;
};

// Where the last records a unit read one after another begin in its file,
// up to kRecalledRecords of them, and where the last one ends: the unit
// moves back over them without looking for their line ends.
struct RecentRecords {
  std::array<std::int64_t, kRecalledRecords> begins{};  // a ring, by `next`
  std::uint32_t next = 0;                               // the slot of the next record read
  std::uint32_t count = 0;  // records recalled, the last one ending at `end`
  std::int64_t end = -1;
  bool last_read = false;  // the last one recalled is the last one read
};

// An input unit: one open file read through one fixed read buffer, which
// holds `fill` bytes of the file from BlockStart on. The unit's position in
// the file is BlockStart + pos. The file is read `block` bytes at a time;
// the buffer has room for MostKeptAhead more, the bytes a unit may keep
// ahead of its position as it reads on (io/read_block).
constexpr std::int32_t MostKeptAhead(std::int32_t block) { return block / 8; }

struct InputUnit {
  explicit InputUnit(std::int32_t read_block)
      : block(read_block),
        buffer(static_cast<std::size_t>(read_block + MostKeptAhead(read_block))) {}

  bool open = false;
  std::string name;  // the name as opened
  std::unique_ptr<InputFile> file;
  bool is_device = false;
  // The identity of the file opened; none for a device word, which opens
  // no file.
  std::optional<FileIdentity> identity;
  std::int32_t block;
  ByteBuffer buffer;
  std::int32_t fill = 0;        // valid bytes held
  std::int32_t pos = 0;         // next byte to take
  std::int64_t end_offset = 0;  // file offset just after the bytes held
  std::int64_t size = -1;       // the file's size when rewound; -1 unknown
  bool eof = false;             // set when a read found no record left
  // The line the last record was read into, and how many data bytes it
  // got: past them the line is blank, so only that much needs blanking again.
  const char* last_line = nullptr;
  std::size_t last_length = 0;
  RecentRecords recent;
};

// The offset in its file of the first byte the unit's read buffer holds.
inline std::int64_t BlockStart(const InputUnit& input) { return input.end_offset - input.fill; }

// Naming's state (io/open, io/name_prompt): the command-line arguments and
// what standard input has given.
struct Naming {
  std::vector<std::string> args;  // argument 0 is the program and never used
  std::int32_t arg_cursor = 1;    // next argument not yet taken
  bool stdin_ended = false;       // a line holding only Ctrl-Z ended standard input
};

// Where bytes waiting in the output buffer were made: from `start` on, by
// the routines of the console's trace number `trace`, the innermost of them
// at `statement`. Left uninitialised until written, so that the notes
// taken at the start stay untouched until used.
struct OutputNote {
  std::size_t start;
  std::int32_t statement;
  std::uint32_t trace;
};

// The console unit's state (io/console).
struct Console {
  explicit Console(bool takes_blocks_in)
      : takes_blocks(takes_blocks_in), buffer(takes_blocks_in ? kOutputBufferSize : 0) {
    if (takes_blocks) {
      notes = std::make_unique_for_overwrite<OutputNote[]>(kOutputNotes);
      traces.reserve(kOutputTraces);
    }
  }

  // Bytes for standard output are collected in the buffer when it takes
  // blocks.
  bool takes_blocks;
  ByteBuffer buffer;
  std::size_t fill = 0;
  bool line_end_owed = false;  // the last console record still lacks its line end
  std::uint64_t written = 0;   // bytes standard output has taken
  // Where the buffered bytes were made (io/output_notes): the first
  // `note_count` notes and `trace_count` traces are in use. Traces are made
  // as they are first needed, within the capacity reserved, and then used
  // again. `last_stamp` is the stamp of the frame whose routines the last
  // trace holds; 0 when none does.
  std::unique_ptr<OutputNote[]> notes;
  std::size_t note_count = 0;
  std::vector<Trace> traces;
  std::size_t trace_count = 0;
  std::uint64_t last_stamp = 0;
};

// The state of the run's end (io/termination).
struct Termination {
  Frame* innermost = nullptr;  // innermost active routine frame, linked outwards
  std::uint64_t pushes = 0;    // frames pushed so far, the last one's stamp
  Ending ending;               // how the run ended, once it has
};

struct Io {
  // Takes the run's buffers; throws std::bad_alloc when they cannot be had.
  // `read_block` is the bytes each unit reads at a time; tests make it tiny.
  Io(Platform& platform_in, std::vector<std::string> args,
     std::int32_t read_block = kReadBufferSize);

  Platform& platform;
  Naming naming;
  std::array<InputUnit, kUnitCount> units;  // io/open and io/records
  Console console;
  Termination termination;
};

inline Io::Io(Platform& platform_in, std::vector<std::string> args, std::int32_t read_block)
    : platform(platform_in),
      naming{std::move(args)},
      units{InputUnit(read_block), InputUnit(read_block)},
      console(platform_in.StdoutTakesBlocks()) {
  // Capacity for the longest name in every place a name is kept, in UTF-8.
  const std::size_t name_capacity =
      kUtf8BytesPerUnit * platform.NameLimit(NameSource::kPipedAnswer);
  for (InputUnit& input : units) {
    input.name.reserve(name_capacity);
  }
  termination.ending.name.reserve(name_capacity);
}

// Input unit `unit`, kUnit1 or kUnit2.
inline InputUnit& UnitOf(Io& io, std::int32_t unit) {
  assert(unit == kUnit1 || unit == kUnit2);
  return io.units[static_cast<std::size_t>(unit - kUnit1)];
}

}  // namespace vellum::io

#endif  // VELLUM_IO_IO_H_
