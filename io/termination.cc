// Orderly stop, failure reports, routine frames and the exit-time cleanup.
#include "io/termination.h"

#include <array>
#include <cstdio>

#include "io/console.h"

namespace vellum::io {
namespace {

std::string_view CategoryText(Operation operation) {
  switch (operation) {
    case Operation::kClose:
      return ": CLOSE(";
    case Operation::kWrite:
      return ": WRITE(";
    case Operation::kOpen:
      return ": OPEN(";
    case Operation::kRead:
      return ": READ(";
    case Operation::kRewind:
      return ": REWIND(";
    case Operation::kBackspace:
      return ": BACKSPACE(";
    case Operation::kRangeCheck:
      return ": $DEBUG\r\n- ";
    case Operation::kMemory:
      return "\r\n- ";
  }
  return "\r\n- ";
}

bool NamesFile(Operation operation) {
  return operation != Operation::kRangeCheck && operation != Operation::kMemory;
}

// Walks the frame stack from the innermost frame outwards, emptying it.
std::string Traceback(Io& io) {
  std::string text = "\r\nExecution traceback:\r\n";
  while (io.frames != nullptr) {
    const Frame& frame = *io.frames;
    text += "\t\tfrom ";
    if (frame.routine.empty()) {
      text += "main program";
    } else {
      text += frame.routine;
    }
    text += " in ";
    text += frame.unit;
    text += '(';
    text += std::to_string(frame.statement);
    text += ")\r\n";
    io.frames = frame.link;
  }
  return text;
}

}  // namespace

std::string FormatFailure(const Failure& failure, const Frame* innermost) {
  std::string text = "\r\n";
  if (innermost != nullptr) {
    text += innermost->unit;
    text += '(';
    text += std::to_string(innermost->statement);
    text += ") : ";
  }
  std::array<char, 8> code{};
  std::snprintf(code.data(), code.size(), "%c%04d", kFailureLetter,
                static_cast<int>(failure.number % 10000));
  text += "run-time error ";
  text += code.data();
  text += CategoryText(failure.operation);
  if (NamesFile(failure.operation)) {
    text += failure.file_name;
    text += failure.message.empty() ? ")\r\n" : ")\r\n- ";
  }
  text += failure.message;
  text += "\r\n";
  return text;
}

void STOP_RUN(Io& io) {
  if (io.line_end_owed) {
    WriteStdout(io, kLineEnd);
  }
  WriteStdout(io, kStopMessage);
  // A failure to write the listing must still end the run as a failure.
  FlushStdout(io);
  throw RunEnd{0};
}

void RAISE_FAILURE(Io& io, const Failure& failure) {
  std::string report = FormatFailure(failure, io.frames);
  if (io.frames != nullptr) {
    report += Traceback(io);
  }
  WriteStderr(io, report);
  if (!io.shutdown) {
    throw RunEnd{1};
  }
}

void ExitCleanup(Io& io) {
  if (io.shutdown) {
    return;
  }
  io.shutdown = true;
  // Closing a file open for reading cannot lose data, and the platform
  // reports no failure for it.
  for (Unit& unit : io.units) {
    unit.file.reset();
    unit.open = false;
  }
  if (io.line_end_owed) {
    WriteStdout(io, kLineEnd);
  }
  FlushStdout(io);
}

}  // namespace vellum::io
