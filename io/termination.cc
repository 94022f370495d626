// Recording the end of a run, and the one formatter of failure reports.
#include "io/termination.h"

#include <array>
#include <charconv>

namespace vellum::io {
namespace {

std::string_view CategoryText(Operation operation) {
  switch (operation) {
    case Operation::kWrite:
      return kCategoryWrite;
    case Operation::kOpen:
      return kCategoryOpen;
    case Operation::kRead:
      return kCategoryRead;
    case Operation::kRewind:
      return kCategoryRewind;
    case Operation::kBackspace:
      return kCategoryBackspace;
    case Operation::kRangeCheck:
      return kCategoryRangeCheck;
    case Operation::kMemory:
      break;
  }
  return kCategoryMemory;
}

bool NamesFile(Operation operation) {
  return operation != Operation::kRangeCheck && operation != Operation::kMemory;
}

// Appends `number` in decimal, with `digits` digits at least.
void AppendNumber(std::string& text, std::int32_t number, int digits = 1) {
  std::array<char, 16> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number).ptr;
  const auto length = static_cast<int>(end - buffer.data());
  text.append(static_cast<std::size_t>(digits > length ? digits - length : 0), '0');
  text.append(buffer.data(), end);
}

void Record(Io& io, bool failed) {
  Ending& ending = io.termination.ending;
  ending.failed = failed;
  ending.frame_count = 0;
  for (const Frame* frame = io.termination.frames;
       frame != nullptr && ending.frame_count < kMaxFrames; frame = frame->link) {
    ending.frames[ending.frame_count++] = {frame->unit, frame->routine, frame->statement};
  }
}

}  // namespace

void STOP_RUN(Io& io) {
  Record(io, false);
  throw RunEnd{};
}

void RAISE_FAILURE(Io& io, const Failure& failure) {
  Record(io, true);
  // The name may live in a frame that the throw unwinds: keep a copy.
  io.termination.ending.name.assign(failure.file_name);
  io.termination.ending.failure = failure;
  io.termination.ending.failure.file_name = io.termination.ending.name;
  throw RunEnd{};
}

void FormatReport(const Ending& ending, std::string& text) {
  const Failure& failure = ending.failure;
  text += kLineEnd;
  if (ending.frame_count > 0) {
    const FrameRecord& innermost = ending.frames[0];
    text += innermost.unit;
    text += '(';
    AppendNumber(text, innermost.statement);
    text += ") : ";
  }
  text += "run-time error ";
  text += kFailureLetter;
  AppendNumber(text, failure.number % 10000, 4);
  text += CategoryText(failure.operation);
  if (NamesFile(failure.operation)) {
    text += failure.file_name;
    text += failure.message.empty() ? ")\r\n" : ")\r\n- ";
  }
  text += failure.message;
  text += kLineEnd;
  if (ending.frame_count == 0) {
    return;
  }
  text += "\r\nExecution traceback:\r\n";
  for (std::size_t at = 0; at < ending.frame_count; ++at) {
    const FrameRecord& frame = ending.frames[at];
    text += "\t\tfrom ";
    text += frame.routine.empty() ? std::string_view("main program") : frame.routine;
    text += " in ";
    text += frame.unit;
    text += '(';
    AppendNumber(text, frame.statement);
    text += ")\r\n";
  }
}

}  // namespace vellum::io
