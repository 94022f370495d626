// Input file naming, the name prompt, the same-file check and opening.
#include "io/open.h"

#include <array>

#include "io/console.h"
#include "io/termination.h"

namespace vellum::io {
namespace {

constexpr std::string_view kPrompt = "File name missing or blank - please enter file name\r\nUNIT ";
// An answer read from a file or pipe keeps at most this many bytes.
constexpr std::size_t kAnswerLimit = 260;

// Reads one answer line from standard input, byte by byte up to CR or LF; the
// byte after a CR (the LF of a CR LF pair) is consumed too.
std::string ReadAnswer(Io& io, const std::string& attempted) {
  std::string answer;
  bool got_any = false;
  for (;;) {
    char byte = 0;
    const std::int64_t n = io.platform.ReadStdin(&byte, 1);
    if (n <= 0) {
      if (got_any) {
        return answer;
      }
      RAISE_FAILURE(io, {kFailureInputExhausted, Operation::kOpen, attempted,
                         "standard input ended while a file name was awaited"});
      return answer;
    }
    got_any = true;
    if (byte == '\n') {
      return answer;
    }
    if (byte == '\r') {
      io.platform.ReadStdin(&byte, 1);
      return answer;
    }
    if (answer.size() < kAnswerLimit) {
      answer.push_back(byte);
    }
  }
}

std::string ObtainName(Io& io, std::int32_t unit) {
  std::string name;
  if (io.arg_cursor < static_cast<std::int32_t>(io.args.size())) {
    name = TrimBlanks(io.args[static_cast<std::size_t>(io.arg_cursor)]);
    ++io.arg_cursor;
  } else if (io.line_end_owed) {
    WriteStdout(io, kLineEnd);
  }
  while (name.empty()) {
    std::string prompt(kPrompt);
    prompt += std::to_string(unit);
    prompt += "? ";
    WriteStdout(io, prompt);
    name = TrimBlanks(ReadAnswer(io, name));
  }
  return name;
}

Failure OpenFailure(OpenStatus status, const std::string& name) {
  switch (status) {
    case OpenStatus::kNotFound:
      return {kFailureOpenNotFound, Operation::kOpen, name,
              "the file, or a directory on its path, does not exist"};
    case OpenStatus::kAccessDenied:
      return {kFailureOpenAccess, Operation::kOpen, name,
              "access to the file was refused, or it is a directory"};
    case OpenStatus::kTooManyFiles:
      return {kFailureOpenTooManyFiles, Operation::kOpen, name, "too many files are open"};
    case OpenStatus::kBadName:
      return {kFailureOpenBadName, Operation::kOpen, name,
              "the file system does not accept this name"};
    case OpenStatus::kOk:
    case OpenStatus::kOther:
      break;
  }
  return {kFailureOpenOther, Operation::kOpen, name, "the file could not be opened"};
}

}  // namespace

std::string TrimBlanks(std::string_view name) {
  const std::size_t first = name.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  const std::size_t last = name.find_last_not_of(' ');
  return std::string(name.substr(first, last - first + 1));
}

void OPEN_INPUT(Io& io, std::int32_t unit_number) {
  const std::string name = ObtainName(io, unit_number);
  OpenResult opened = io.platform.OpenInput(name);
  if (opened.status != OpenStatus::kOk) {
    RAISE_FAILURE(io, OpenFailure(opened.status, name));
  }
  // The same file may not be compared with itself, whatever path names it.
  for (const Unit& other : io.units) {
    if (other.file != nullptr && other.number != unit_number && !opened.is_device &&
        !other.is_device && other.identity == opened.identity) {
      RAISE_FAILURE(io, {kFailureOpenSameFile, Operation::kOpen, name,
                         "this file is already open as the other file of the comparison"});
    }
  }
  Unit& unit = UnitOf(io, unit_number);
  unit.number = unit_number;
  unit.name = name;
  unit.file = std::move(opened.file);
  unit.is_device = opened.is_device;
  unit.identity = opened.identity;
  unit.fill = 0;
  unit.pos = 0;
  unit.end_offset = 0;
  unit.eof = false;
}

void REWIND_INPUT(Io& io, std::int32_t unit_number) {
  Unit& unit = UnitOf(io, unit_number);
  if (unit.is_device) {
    RAISE_FAILURE(io, {kFailureRewindDevice, Operation::kRewind, unit.name,
                       "a device cannot be rewound, so it cannot be compared"});
  }
  unit.fill = 0;
  unit.pos = 0;
  unit.end_offset = 0;
  unit.eof = false;
}

}  // namespace vellum::io
