// The POSIX platform: files read with pread at explicit offsets; raw writes to descriptors 1 and 2,
// standard input read byte-exact.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "io/platform/platform.h"
#include "io/platform/sandbox.h"

namespace vellum::io {
namespace {

class PosixFile final : public InputFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  std::int64_t ReadSome(std::int64_t offset, char* data, std::int64_t size) override {
    for (;;) {
      const ssize_t got = ::pread(fd_, data, static_cast<std::size_t>(size), offset);
      if (got >= 0) {
        return got;
      }
      if (errno != EINTR) {
        return -1;
      }
    }
  }

  std::int64_t Size() override {
    struct stat info {};
    return StatOfDescriptor(fd_, &info) == 0 && S_ISREG(info.st_mode) ? info.st_size : -1;
  }

  int Descriptor() const { return fd_; }

 private:
  // The kernel's fstat where the processor has the call: the C library's
  // may ask newfstatat with an empty path, and a confined run looks up no
  // path at all.
  static int StatOfDescriptor(int fd, struct stat* info) {
#if defined(__linux__) && defined(__x86_64__)
    return static_cast<int>(::syscall(SYS_fstat, fd, info));
#else
    return ::fstat(fd, info);
#endif
  }

  int fd_;
};

// The descriptor of an input this platform opened, -1 for none.
int DescriptorOf(const InputFile* file) {
  return file != nullptr ? static_cast<const PosixFile*>(file)->Descriptor() : -1;
}

// Moves an input opened as descriptor 0, 1 or 2 (one of them was closed)
// above them, so that it is never read as standard input nor written as
// output, whether or not a null device could have filled the gap. Returns
// the descriptor to use, or -1 with errno set.
int AboveStandardDescriptors(int fd) {
  if (fd > STDERR_FILENO) {
    return fd;
  }
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  const int error = errno;
  ::close(fd);
  errno = error;
  return moved;
}

OpenStatus StatusOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return OpenStatus::kNotFound;
    case ENAMETOOLONG:
      return OpenStatus::kNameTooLong;
    case ELOOP:
      return OpenStatus::kTooManyLinks;
    case ENXIO:
    case ENODEV:
      return OpenStatus::kNoSuchDevice;
    case EACCES:
    case EPERM:
    case EISDIR:
      return OpenStatus::kAccessDenied;
    case EMFILE:
    case ENFILE:
      return OpenStatus::kTooManyFiles;
    default:
      return OpenStatus::kBadName;
  }
}

WriteStatus StatusOfWriteErrno(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return WriteStatus::kDeviceFull;
    case EACCES:
    case EPERM:
    case EBADF:  // the descriptor is not open for writing
      return WriteStatus::kAccessDenied;
    case EPIPE:
    case ECONNRESET:
      return WriteStatus::kReaderGone;
    case EIO:
      return WriteStatus::kDeviceError;
    default:
      return WriteStatus::kOther;
  }
}

FileIdentity IdentityOf(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// Waits until `fd` takes more bytes; for an output left non-blocking by
// whoever set it up.
void AwaitWritable(int fd) {
  struct pollfd ready {
    fd, POLLOUT, 0
  };
  ::poll(&ready, 1, -1);
}

class PosixPlatform final : public Platform {
 public:
  OpenResult OpenInput(const std::string& name) override {
    OpenResult result;
    if (name.find('\0') != std::string::npos) {
      // The system cannot be given such a name; it is not cut short either.
      result.status = OpenStatus::kBadName;
      return result;
    }
    struct stat named {};
    if (::stat(name.c_str(), &named) == 0 && !S_ISREG(named.st_mode) && !S_ISDIR(named.st_mode)) {
      // A device, FIFO or socket is known by its name alone: opening a tape
      // or a serial port acts on it, and such a unit is never read.
      result.status = OpenStatus::kOk;
      result.is_device = true;
      result.identity = IdentityOf(named);
      return result;
    }
    // Non-blocking, so that a FIFO put in the file's place since cannot
    // hang the open.
    int fd = -1;
    do {
      fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
      fd = AboveStandardDescriptors(fd);
    }
    if (fd < 0) {
      result.status = StatusOfErrno(errno);
      return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
      const int error = errno;
      ::close(fd);
      result.status = StatusOfErrno(error);
      return result;
    }
    if (S_ISDIR(info.st_mode)) {
      // Opening a directory succeeds here; it is still no file to compare.
      ::close(fd);
      result.status = OpenStatus::kAccessDenied;
      return result;
    }
    // Reads of a regular file never block; restore ordinary reads.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    result.status = OpenStatus::kOk;
    result.is_device = !S_ISREG(info.st_mode);
    result.identity = IdentityOf(info);
    result.file = std::make_unique<PosixFile>(fd);
    return result;
  }

  WriteResult Write(Stream stream, std::string_view bytes) override {
    const int fd = stream == Stream::kStdout ? STDOUT_FILENO : STDERR_FILENO;
    WriteResult result;
    while (result.written < bytes.size()) {
      const std::string_view rest = bytes.substr(result.written);
      const ssize_t done = ::write(fd, rest.data(), rest.size());
      if (done > 0) {
        result.written += static_cast<std::size_t>(done);
        continue;
      }
      if (done == 0) {
        result.status = WriteStatus::kNoProgress;
        return result;
      }
      if (errno == EINTR) {
        continue;
      }
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        AwaitWritable(fd);
        continue;
      }
      result.status = StatusOfWriteErrno(errno);
      return result;
    }
    return result;
  }

  std::optional<FileIdentity> StdoutIdentity() override {
    struct stat info {};
    if (::fstat(STDOUT_FILENO, &info) != 0 || !S_ISREG(info.st_mode)) {
      return std::nullopt;
    }
    return IdentityOf(info);
  }

  std::int64_t ReadStdin(char* data, std::int64_t size) override {
    for (;;) {
      const ssize_t got = ::read(STDIN_FILENO, data, static_cast<std::size_t>(size));
      if (got >= 0 || errno != EINTR) {
        return got;
      }
    }
  }

  std::int64_t ReadConsoleLine(char* data, std::size_t units) override {
    return ReadStdin(data, static_cast<std::int64_t>(units));
  }

  // Names are used whole up to the system's path limit, whatever their source.
  std::size_t NameLimit(NameSource /*source*/) const override { return PATH_MAX; }
  std::size_t NameLength(std::string_view name) const override { return name.size(); }

  // There are no such devices here: a device word is recognised, and the
  // unit then fails at its rewind like any device.
  OpenStatus OpenDevice(const std::string& /*device*/) override { return OpenStatus::kOk; }

  bool StdoutTakesBlocks() override { return ::isatty(STDOUT_FILENO) == 0; }

  void Confine(const InputFile* file1, const InputFile* file2) override {
    ConfineToOpenFiles({DescriptorOf(file1), DescriptorOf(file2)});
  }

  bool StdinIsCharacterDevice() override {
    struct stat info {};
    return ::fstat(STDIN_FILENO, &info) == 0 && S_ISCHR(info.st_mode);
  }
};

}  // namespace

Platform& NativePlatform() {
  // It holds no state; being static, it needs no memory from the heap.
  static PosixPlatform platform;
  return platform;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

}  // namespace vellum::io
