// The POSIX platform: files read with pread at explicit offsets, raw writes
// to descriptors 1 and 2, standard input read byte-exact.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "io/platform.h"

namespace vellum::io {
namespace {

class PosixFile final : public InputFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  std::int64_t ReadAt(std::int64_t offset, char* data, std::int64_t size) override {
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

 private:
  int fd_;
};

OpenStatus StatusOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return OpenStatus::kNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
      return OpenStatus::kAccessDenied;
    case EMFILE:
    case ENFILE:
      return OpenStatus::kTooManyFiles;
    case EINVAL:
    case EILSEQ:
      return OpenStatus::kBadName;
    default:
      return OpenStatus::kOther;
  }
}

class PosixPlatform final : public Platform {
 public:
  OpenResult OpenInput(const std::string& name) override {
    OpenResult result;
    // Non-blocking, so that opening a FIFO with no writer cannot hang.
    int fd = -1;
    do {
      fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      result.status = StatusOfErrno(errno);
      return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
      ::close(fd);
      result.status = OpenStatus::kOther;
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
    result.identity = {static_cast<std::uint64_t>(info.st_dev),
                       static_cast<std::uint64_t>(info.st_ino)};
    result.file = std::make_unique<PosixFile>(fd);
    return result;
  }

  WriteStatus Write(Stream stream, std::string_view bytes) override {
    const int fd = stream == Stream::kStdout ? STDOUT_FILENO : STDERR_FILENO;
    while (!bytes.empty()) {
      const ssize_t done = ::write(fd, bytes.data(), bytes.size());
      if (done > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(done));
        continue;
      }
      if (done < 0 && errno == EINTR) {
        continue;
      }
      if (done < 0 && (errno == ENOSPC || errno == EDQUOT)) {
        return WriteStatus::kDeviceFull;
      }
      if (done < 0 && (errno == EACCES || errno == EPERM)) {
        return WriteStatus::kAccessDenied;
      }
      return WriteStatus::kOther;
    }
    return WriteStatus::kOk;
  }

  std::int64_t ReadStdin(char* data, std::int64_t size) override {
    for (;;) {
      const ssize_t got = ::read(STDIN_FILENO, data, static_cast<std::size_t>(size));
      if (got >= 0 || errno != EINTR) {
        return got;
      }
    }
  }
};

}  // namespace

std::unique_ptr<Platform> MakeNativePlatform() { return std::make_unique<PosixPlatform>(); }

}  // namespace vellum::io
