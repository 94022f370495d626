// Console output records and raw writes to the standard streams.
#include "io/console.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "io/termination.h"

namespace vellum::io {

void WriteStdout(Io& io, std::string_view bytes) {
  if (io.stdout_failed || bytes.empty()) {
    return;
  }
  const WriteStatus status = io.platform.Write(Stream::kStdout, bytes);
  if (status == WriteStatus::kOk || status == WriteStatus::kOther) {
    // Other causes of a shortfall are passed over and the run goes on.
    return;
  }
  io.stdout_failed = true;
  if (status == WriteStatus::kDeviceFull) {
    RAISE_FAILURE(io, {kFailureWriteFull, Operation::kWrite, std::string(kConsoleName),
                       "no space left on the device that receives standard output"});
  } else {
    RAISE_FAILURE(io, {kFailureWriteAccess, Operation::kWrite, std::string(kConsoleName),
                       "standard output refused the write"});
  }
}

void WriteStderr(Io& io, std::string_view bytes) {
  if (!bytes.empty()) {
    io.platform.Write(Stream::kStderr, bytes);
  }
}

void WriteRecord(Io& io, std::initializer_list<std::string_view> parts) {
  // Assemble CR LF and the printed bytes in one piece, so that a record
  // normally reaches standard output in one write.
  std::array<char, kConsoleRecordBuffer> piece{};
  std::size_t used = 0;
  auto append = [&](std::string_view bytes) {
    while (!bytes.empty()) {
      if (used == piece.size()) {
        WriteStdout(io, std::string_view(piece.data(), used));
        used = 0;
      }
      const std::size_t n = std::min(bytes.size(), piece.size() - used);
      std::memcpy(piece.data() + used, bytes.data(), n);
      used += n;
      bytes.remove_prefix(n);
    }
  };
  if (io.line_end_owed) {
    append(kLineEnd);
  }
  bool control_consumed = false;
  for (std::string_view part : parts) {
    if (!control_consumed && !part.empty()) {
      part.remove_prefix(1);
      control_consumed = true;
    }
    append(part);
  }
  WriteStdout(io, std::string_view(piece.data(), used));
  io.line_end_owed = true;
}

}  // namespace vellum::io
