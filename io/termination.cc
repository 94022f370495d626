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

void Record(Io& io, bool failed, const Trace& trace) {
  io.termination.ending.failed = failed;
  io.termination.ending.trace = trace;
}

}  // namespace

void CaptureTrace(const Io& io, Trace& trace) {
  // Counted apart from the trace, which the frames could alias.
  std::size_t count = 0;
  for (const Frame* frame = io.termination.innermost; frame != nullptr && count < kMaxFrames;
       frame = frame->link) {
    trace.frames[count++] = frame->record;
  }
  trace.count = count;
}

Trace TraceOf(const Io& io) {
  Trace trace;
  CaptureTrace(io, trace);
  return trace;
}

void STOP_RUN(Io& io) {
  Record(io, false, TraceOf(io));
  throw RunEnd{};
}

void RAISE_FAILURE(Io& io, const Failure& failure) { RaiseFailureAt(io, failure, TraceOf(io)); }

void RaiseFailureAt(Io& io, const Failure& failure, const Trace& trace) {
  Record(io, true, trace);
  // The name may live in a frame that the throw unwinds: keep a copy.
  io.termination.ending.name.assign(failure.file_name);
  io.termination.ending.failure = failure;
  io.termination.ending.failure.file_name = io.termination.ending.name;
  throw RunEnd{};
}

void FormatReport(const Ending& ending, std::string& text) {
  const Failure& failure = ending.failure;
  text += kLineEnd;
  const Trace& trace = ending.trace;
  if (trace.count > 0) {
    const FrameRecord& innermost = trace.frames[0];
    text += innermost.source;
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
  if (trace.count == 0) {
    return;
  }
  text += "\r\nExecution traceback:\r\n";
  for (std::size_t at = 0; at < trace.count; ++at) {
    const FrameRecord& frame = trace.frames[at];
    text += "\t\tfrom ";
    text += frame.routine.empty() ? std::string_view("main program") : frame.routine;
    text += " in ";
    text += frame.source;
    text += '(';
    AppendNumber(text, frame.statement);
    text += ")\r\n";
  }
}

}  // namespace vellum::io
