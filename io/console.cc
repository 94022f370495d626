// Console output records and raw writes to standard output.
//
// When standard output is not a terminal, bytes are collected in the
// console's output buffer and written in large blocks; the buffer is
// emptied before a prompt waits for an answer and at the end of the run,
// before anything goes to standard error, so the bytes and their order
// across the two streams are those of writing each record at once. Beside
// the bytes the buffer keeps where they were made, so that a failed write
// names the record that, written at once, would have failed. A terminal or
// other device gets each record when it ends.
#include "io/console.h"

#include <algorithm>
#include <cstring>

#include "io/output_notes.h"
#include "io/termination.h"

namespace vellum::io {
namespace {

Failure FailureOf(WriteStatus status) {
  std::string_view message;
  switch (status) {
    case WriteStatus::kDeviceFull:
      return {kFailureWriteFull, Operation::kWrite, kConsoleName,
              "no space left on the device that receives standard output"};
    case WriteStatus::kAccessDenied:
      message = "standard output refused the write";
      break;
    case WriteStatus::kReaderGone:
      message = "the reader of standard output has gone (its pipe was closed)";
      break;
    case WriteStatus::kDeviceError:
      message = "an input/output error on the device that receives standard output";
      break;
    case WriteStatus::kNoProgress:
      message = "standard output took none of the bytes written to it";
      break;
    case WriteStatus::kOk:
    case WriteStatus::kOther:
      message = "standard output failed the write";
      break;
  }
  return {kFailureWriteAccess, Operation::kWrite, kConsoleName, message};
}

// Writes `bytes` to standard output now; a failure is met by `maker`, or
// by the routines active now when no maker is given.
std::optional<WriteFailure> WriteNow(Io& io, std::string_view bytes, const Trace* maker) {
  if (bytes.empty()) {
    return std::nullopt;
  }
  const WriteResult result = io.platform.Write(Stream::kStdout, bytes);
  io.console.written += result.written;
  if (result.status == WriteStatus::kOk) {
    return std::nullopt;
  }
  return WriteFailure{FailureOf(result.status), maker != nullptr ? *maker : TraceOf(io)};
}

void RaiseIfFailed(Io& io, const std::optional<WriteFailure>& failed) {
  if (failed) {
    RaiseFailureAt(io, failed->failure, failed->trace);
  }
}

// Puts `bytes` in the output buffer, or writes them at once when standard
// output does not take blocks.
std::optional<WriteFailure> Put(Io& io, std::string_view bytes, const Trace* maker) {
  Console& console = io.console;
  if (!console.takes_blocks) {
    return WriteNow(io, bytes, maker);
  }
  while (!bytes.empty()) {
    if (console.fill == console.buffer.Size()) {
      if (std::optional<WriteFailure> failed = DrainStdout(io)) {
        return failed;
      }
    }
    if (!AddNote(io, maker)) {
      // The notes are full: the bytes they cover go out first.
      if (std::optional<WriteFailure> failed = DrainStdout(io)) {
        return failed;
      }
      AddNote(io, maker);
    }
    const std::size_t n = std::min(bytes.size(), console.buffer.Size() - console.fill);
    std::memcpy(console.buffer.Data() + console.fill, bytes.data(), n);
    console.fill += n;
    bytes.remove_prefix(n);
  }
  return std::nullopt;
}

// Writes out the bytes the full notes cover, then notes where the bytes
// from now on are made. Out of line, so that RoomForRecord stays light.
[[gnu::noinline]] void NoteAfterWritingOut(Io& io) {
  FlushStdout(io);
  AddNote(io, nullptr);
}

// The room left in the output buffer for a record made now, after noting
// where it is made; 0 when standard output does not take blocks. Inline
// whole, as every record made asks.
[[gnu::always_inline]] inline std::size_t RoomForRecord(Io& io) {
  Console& console = io.console;
  if (!console.takes_blocks) {
    return 0;
  }
  if (!AddNote(io, nullptr)) {
    NoteAfterWritingOut(io);
  }
  return console.buffer.Size() - console.fill;
}

}  // namespace

std::optional<WriteFailure> DrainStdout(Io& io) {
  Console& console = io.console;
  const std::string_view pending(console.buffer.Data(), console.fill);
  console.fill = 0;
  std::optional<WriteFailure> failed;
  if (!pending.empty()) {
    const WriteResult result = io.platform.Write(Stream::kStdout, pending);
    console.written += result.written;
    if (result.status != WriteStatus::kOk) {
      failed = WriteFailure{FailureOf(result.status), MadeBy(io, result.written)};
    }
  }
  ForgetNotes(console);
  return failed;
}

std::optional<WriteFailure> PutStdout(Io& io, std::string_view bytes, const Trace& maker) {
  return Put(io, bytes, &maker);
}

bool AnythingWritten(const Io& io) { return io.console.written > 0 || io.console.fill > 0; }

void FlushStdout(Io& io) { RaiseIfFailed(io, DrainStdout(io)); }

void WriteStdout(Io& io, std::string_view bytes) { RaiseIfFailed(io, Put(io, bytes, nullptr)); }

void WriteRecord(Io& io, std::initializer_list<std::string_view> parts) {
  // A record of one part is a control character and a line.
  if (parts.size() == 1 && !parts.begin()->empty()) {
    WriteLine(io, parts.begin()->substr(1));
    return;
  }
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
  if (size <= RoomForRecord(io)) {
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
  if (text.size() + kLineEnd.size() > RoomForRecord(io)) {
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
