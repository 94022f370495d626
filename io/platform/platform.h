// The seam between the I/O layer and the operating system. The program runs
// on the POSIX or the Win32 implementation; tests put an in-memory one behind
// the same interface so that whole runs, faults included, can be checked
// in-process.
#ifndef VELLUM_IO_PLATFORM_PLATFORM_H_
#define VELLUM_IO_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum::io {

enum class OpenStatus {
  kOk,
  kNotFound,      // the file or a directory on its path is missing
  kNameTooLong,   // the name or one of its components is longer than the system takes
  kTooManyLinks,  // resolving the name met too many symbolic links
  kAccessDenied,  // permission refused, or the name is a directory
  kTooManyFiles,
  kNoSuchDevice,  // the name leads to a device that is not there
  kBadName,       // the file system does not accept the name, or anything else went wrong
};

// Two opens of one file, through any path or link, give equal identities.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// An input file open for reading, read at explicit offsets.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads `size` bytes at `offset` into `data`, asking again after a read
  // that comes back short. Returns `size`, fewer only where the file ends
  // (0 at or past its end), or -1 when a read fails, whatever it gave first.
  std::int64_t ReadAt(std::int64_t offset, char* data, std::int64_t size) {
    std::int64_t done = 0;
    while (done < size) {
      const std::int64_t got = ReadSome(offset + done, data + done, size - done);
      if (got < 0) {
        return -1;
      }
      if (got == 0) {
        break;
      }
      done += got < size - done ? got : size - done;
    }
    return done;
  }
  // One read as the system answers it: up to `size` bytes at `offset`, and
  // possibly fewer while more follow (network and user-space file systems
  // give short counts); 0 only at the end of the file; -1 when it fails. An
  // interrupted read is made again, never reported.
  virtual std::int64_t ReadSome(std::int64_t offset, char* data, std::int64_t size) = 0;
  // The file's size in bytes; -1 when the system does not tell.
  virtual std::int64_t Size() { return -1; }
};

struct OpenResult {
  OpenStatus status = OpenStatus::kBadName;
  std::unique_ptr<InputFile> file;  // set when status is kOk, except for a device
  // Anything but a regular file: a device, FIFO or socket, identified by
  // name and never opened, since opening a tape or a port acts on it. Such a
  // unit cannot be rewound.
  bool is_device = false;
  std::optional<FileIdentity> identity;  // nothing when the system gives none
};

enum class Stream { kStdout, kStderr };

// Where a file name comes from; each source has its own length limit.
enum class NameSource { kArgument, kPipedAnswer, kConsoleAnswer };

// Why a write stopped short. Every cause but kOk loses output and fails the
// run; each names what the system reported.
enum class WriteStatus {
  kOk,
  kDeviceFull,    // no space left on the device (or over a quota or size limit)
  kAccessDenied,  // refused for access or lock reasons, or not open for writing
  kReaderGone,    // the reading end of a pipe or socket has been closed
  kDeviceError,   // the device reported an input/output error
  kNoProgress,    // the write transferred nothing and reported no error
  kOther,         // any other error
};

struct WriteResult {
  WriteStatus status = WriteStatus::kOk;
  std::size_t written = 0;  // bytes transferred before the write stopped
};

class Platform {
 public:
  virtual ~Platform() = default;
  // Opens an existing file for reading only, never blocking and never
  // creating anything. The identity is that of the file actually opened, so
  // a name renamed over meanwhile cannot slip past a check made on it.
  virtual OpenResult OpenInput(const std::string& name) = 0;
  // The identity of the file standard output writes into, when it is a
  // regular file; such a file cannot also be read as an input.
  virtual std::optional<FileIdentity> StdoutIdentity() = 0;
  // Writes all of `bytes`, retrying writes that come up short; returns how
  // many were transferred and, when not all, why. A stream that is not open
  // for writing refuses access.
  virtual WriteResult Write(Stream stream, std::string_view bytes) = 0;
  // Reads up to `size` bytes of standard input: the count, 0 when standard
  // input is exhausted, -1 when the read fails.
  virtual std::int64_t ReadStdin(char* data, std::int64_t size) = 0;
  // One console read of a line typed at a terminal: at most `units` of the
  // console's characters, its line end included, put in `data` as UTF-8
  // (kUtf8BytesPerUnit bytes a character at most). Returns the bytes put
  // there, 0 when nothing was typed, -1 when the read fails.
  virtual std::int64_t ReadConsoleLine(char* data, std::size_t units) = 0;
  // Whether standard output may be written in large blocks: anything but a
  // terminal, which gets each record when it ends.
  virtual bool StdoutTakesBlocks() = 0;
  // Whether standard input is a character device, such as a terminal.
  virtual bool StdinIsCharacterDevice() = 0;
  // The longest file name taken from `source`, counted as NameLength
  // counts. Longer names are refused, never cut short.
  virtual std::size_t NameLimit(NameSource source) const = 0;
  // The length of the UTF-8 `name` in the platform's own units: bytes, or
  // UTF-16 units where the platform names files in UTF-16.
  virtual std::size_t NameLength(std::string_view name) const = 0;
  // Opens the device that a device word stands for (for example COM1 for
  // AUX), to learn whether it exists; the unit reads nothing from it.
  virtual OpenStatus OpenDevice(const std::string& device) = 0;
  // Called once both inputs are open and checked, before the first record
  // is read, with their files (null for a device): from then on the process
  // needs only to read those two and write its standard streams, and gives
  // up every other right where the system allows, the use of any other
  // descriptor included (io/platform/sandbox.h). Never fails the run.
  virtual void Confine(const InputFile* /*file1*/, const InputFile* /*file2*/) {}
};

// The platform of the running process, ready without taking memory.
Platform& NativePlatform();

// The program's arguments, argument 0 first, as UTF-8 where the platform
// gives them in another form.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace vellum::io

#endif  // VELLUM_IO_PLATFORM_PLATFORM_H_
