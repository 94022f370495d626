// The Win32 platform: input files opened with CreateFileW for reading only,
// sharing read and write, identified by volume serial number and file
// index, read at explicit offsets through SetFilePointerEx and ReadFile;
// raw bytes to the standard handles with WriteFile, with no text-mode
// translation; names and arguments converted between UTF-16 and UTF-8.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "io/platform/command_line.h"
#include "io/platform/platform.h"

namespace vellum::io {
namespace {

// The longest names taken from each source, in UTF-16 units: the characters
// of a Windows file name.
constexpr std::size_t kArgumentNameLimit = 259;
constexpr std::size_t kPipedNameLimit = 260;
constexpr std::size_t kConsoleNameLimit = 258;

std::wstring Widen(const std::string& text) {
  if (text.empty()) {
    return {};
  }
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) {
    return {};
  }
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
  return text;
}

OpenStatus StatusOfError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return OpenStatus::kNotFound;
    case ERROR_FILENAME_EXCED_RANGE:
      return OpenStatus::kNameTooLong;
    case ERROR_CANT_RESOLVE_FILENAME:
      return OpenStatus::kTooManyLinks;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return OpenStatus::kAccessDenied;
    case ERROR_TOO_MANY_OPEN_FILES:
      return OpenStatus::kTooManyFiles;
    default:
      return OpenStatus::kBadName;
  }
}

WriteStatus StatusOfWriteError(DWORD error) {
  switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return WriteStatus::kDeviceFull;
    case ERROR_ACCESS_DENIED:
    case ERROR_LOCK_VIOLATION:
    case ERROR_INVALID_HANDLE:
      return WriteStatus::kAccessDenied;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:  // the pipe is being closed
      return WriteStatus::kReaderGone;
    case ERROR_IO_DEVICE:
    case ERROR_CRC:
      return WriteStatus::kDeviceError;
    default:
      return WriteStatus::kOther;
  }
}

std::optional<FileIdentity> IdentityOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(handle, &info) == 0) {
    return std::nullopt;
  }
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

class Win32File final : public InputFile {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { ::CloseHandle(handle_); }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  std::int64_t ReadSome(std::int64_t offset, char* data, std::int64_t size) override {
    LARGE_INTEGER position{};
    position.QuadPart = offset;
    if (::SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN) == 0) {
      return -1;
    }
    DWORD got = 0;
    if (::ReadFile(handle_, data, static_cast<DWORD>(size), &got, nullptr) == 0) {
      return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    }
    return got;
  }

  std::int64_t Size() override {
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(handle_, &size) != 0 ? size.QuadPart : -1;
  }

 private:
  HANDLE handle_;
};

class Win32Platform final : public Platform {
 public:
  OpenResult OpenInput(const std::string& name) override {
    OpenResult result;
    if (name.find('\0') != std::string::npos) {
      result.status = OpenStatus::kBadName;
      return result;
    }
    const HANDLE handle =
        ::CreateFileW(Widen(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      result.status = StatusOfError(::GetLastError());
      return result;
    }
    result.status = OpenStatus::kOk;
    result.is_device = ::GetFileType(handle) != FILE_TYPE_DISK;
    result.identity = IdentityOf(handle);
    result.file = std::make_unique<Win32File>(handle);
    return result;
  }

  OpenStatus OpenDevice(const std::string& device) override {
    const HANDLE handle =
        ::CreateFileA(device.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const OpenStatus status = StatusOfError(::GetLastError());
      return status == OpenStatus::kBadName ? OpenStatus::kNotFound : status;
    }
    ::CloseHandle(handle);
    return OpenStatus::kOk;
  }

  WriteResult Write(Stream stream, std::string_view bytes) override {
    const HANDLE handle =
        ::GetStdHandle(stream == Stream::kStdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    WriteResult result;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
      // No such stream was given to the process.
      result.status = WriteStatus::kAccessDenied;
      return result;
    }
    while (result.written < bytes.size()) {
      const std::string_view rest = bytes.substr(result.written);
      DWORD done = 0;
      if (::WriteFile(handle, rest.data(), static_cast<DWORD>(rest.size()), &done, nullptr) == 0) {
        result.status = StatusOfWriteError(::GetLastError());
        return result;
      }
      if (done == 0) {
        result.status = WriteStatus::kNoProgress;
        return result;
      }
      result.written += done;
    }
    return result;
  }

  std::optional<FileIdentity> StdoutIdentity() override {
    const HANDLE handle = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        ::GetFileType(handle) != FILE_TYPE_DISK) {
      return std::nullopt;
    }
    return IdentityOf(handle);
  }

  std::int64_t ReadStdin(char* data, std::int64_t size) override {
    DWORD got = 0;
    if (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), data, static_cast<DWORD>(size), &got,
                   nullptr) == 0) {
      // A pipe whose writer has gone is exhausted, not broken.
      return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return got;
  }

  std::int64_t ReadConsoleLine(char* data, std::size_t units) override {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(input, &mode) == 0) {
      // Not a console (the null device, for one): its bytes as they come.
      return ReadStdin(data, static_cast<std::int64_t>(units));
    }
    // Read in the console's own characters, so that a typed name in any
    // script reaches the file system as typed.
    std::wstring typed(units, L'\0');
    DWORD got = 0;
    if (::ReadConsoleW(input, typed.data(), static_cast<DWORD>(units), &got, nullptr) == 0) {
      return -1;
    }
    typed.resize(got);
    const std::string text = Narrow(typed);
    std::copy(text.begin(), text.end(), data);
    return static_cast<std::int64_t>(text.size());
  }

  bool StdoutTakesBlocks() override {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) == 0;
  }

  bool StdinIsCharacterDevice() override {
    // A console and the null device both; the null device then reads nothing.
    return ::GetFileType(::GetStdHandle(STD_INPUT_HANDLE)) == FILE_TYPE_CHAR;
  }

  std::size_t NameLimit(NameSource source) const override {
    switch (source) {
      case NameSource::kArgument:
        return kArgumentNameLimit;
      case NameSource::kPipedAnswer:
        return kPipedNameLimit;
      case NameSource::kConsoleAnswer:
        return kConsoleNameLimit;
    }
    return kArgumentNameLimit;
  }

  std::size_t NameLength(std::string_view name) const override {
    if (name.empty()) {
      return 0;
    }
    return static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), nullptr, 0));
  }
};

}  // namespace

Platform& NativePlatform() {
  // It holds no state; being static, it needs no memory from the heap.
  static Win32Platform platform;
  return platform;
}

std::vector<std::string> ProgramArguments(int /*argc*/, char** /*argv*/) {
  std::vector<std::string> args;
  for (const std::wstring& arg : SplitCommandLine(::GetCommandLineW())) {
    args.push_back(Narrow(arg));
  }
  return args;
}

}  // namespace vellum::io
