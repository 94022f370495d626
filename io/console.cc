// Console output records and raw writes to standard output.
//
// When standard output is not a terminal, bytes are collected in the
// console's output buffer and written in large blocks; the buffer is
// emptied before a prompt waits for an answer and at the end of the run,
// before anything goes to standard error, so the bytes and their order
// across the two streams are those of writing each record at once. A
// terminal or other device gets each record when it ends.
#include "io/console.h"

#include <algorithm>
#include <cstring>

#include "io/termination.h"

namespace vellum::io {
namespace {

constexpr std::string_view kDeviceFullMessage =
    "no space left on the device that receives standard output";
constexpr std::string_view kRefusedMessage = "standard output refused the write";

// Writes `bytes` to standard output now.
std::optional<Failure> WriteNow(Io& io, std::string_view bytes) {
  if (io.console.failed || bytes.empty()) {
    return std::nullopt;
  }
  const WriteStatus status = io.platform.Write(Stream::kStdout, bytes);
  if (status == WriteStatus::kOk || status == WriteStatus::kOther) {
    return std::nullopt;
  }
  io.console.failed = true;
  if (status == WriteStatus::kDeviceFull) {
    return Failure{kFailureWriteFull, Operation::kWrite, kConsoleName, kDeviceFullMessage};
  }
  return Failure{kFailureWriteAccess, Operation::kWrite, kConsoleName, kRefusedMessage};
}

void RaiseIfFailed(Io& io, const std::optional<Failure>& failure) {
  if (failure) {
    RAISE_FAILURE(io, *failure);
  }
}

}  // namespace

std::optional<Failure> DrainStdout(Io& io) {
  const std::string_view pending(io.console.buffer.Data(), io.console.fill);
  io.console.fill = 0;
  return WriteNow(io, pending);
}

std::optional<Failure> PutStdout(Io& io, std::string_view bytes) {
  if (!io.console.takes_blocks) {
    return WriteNow(io, bytes);
  }
  while (!bytes.empty()) {
    if (io.console.fill == io.console.buffer.Size()) {
      if (std::optional<Failure> failure = DrainStdout(io)) {
        return failure;
      }
    }
    const std::size_t n = std::min(bytes.size(), io.console.buffer.Size() - io.console.fill);
    std::memcpy(io.console.buffer.Data() + io.console.fill, bytes.data(), n);
    io.console.fill += n;
    bytes.remove_prefix(n);
  }
  return std::nullopt;
}

void FlushStdout(Io& io) { RaiseIfFailed(io, DrainStdout(io)); }

void WriteStdout(Io& io, std::string_view bytes) { RaiseIfFailed(io, PutStdout(io, bytes)); }

void WriteRecord(Io& io, std::initializer_list<std::string_view> parts) {
  // The bytes of the record: CR LF when owed, then the parts without the
  // control character that begins the first non-empty one.
  const auto for_each_piece = [&](auto&& take) {
    if (io.console.line_end_owed) {
      take(kLineEnd);
    }
    bool control_consumed = false;
    for (std::string_view part : parts) {
      if (!control_consumed && !part.empty()) {
        part.remove_prefix(1);
        control_consumed = true;
      }
      take(part);
    }
  };
  std::size_t size = 0;
  for_each_piece([&](std::string_view piece) { size += piece.size(); });
  if (io.console.takes_blocks && size <= io.console.buffer.Size() - io.console.fill) {
    // Most records fit the room left in the output buffer: copy them there.
    for_each_piece([&](std::string_view piece) {
      std::memcpy(io.console.buffer.Data() + io.console.fill, piece.data(), piece.size());
      io.console.fill += piece.size();
    });
  } else {
    for_each_piece([&](std::string_view piece) { WriteStdout(io, piece); });
  }
  io.console.line_end_owed = true;
}

void WriteLine(Io& io, std::string_view text) {
  Console& console = io.console;
  if (!console.takes_blocks ||
      text.size() + kLineEnd.size() > console.buffer.Size() - console.fill) {
    WriteRecord(io, {" ", text});
    return;
  }
  char* at = console.buffer.Data() + console.fill;
  if (console.line_end_owed) {
    std::memcpy(at, kLineEnd.data(), kLineEnd.size());
    at += kLineEnd.size();
  }
  std::memcpy(at, text.data(), text.size());
  console.fill = static_cast<std::size_t>(at + text.size() - console.buffer.Data());
  console.line_end_owed = true;
}

}  // namespace vellum::io
