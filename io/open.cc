// Input file naming, the name prompt, device words, the same-file check and
// opening.
#include "io/open.h"

#include <optional>
#include <vector>

#include "io/console.h"
#include "io/devices.h"
#include "io/termination.h"

namespace vellum::io {
namespace {

// A line holding only this byte ends standard input.
constexpr char kCtrlZ = '\x1a';
constexpr std::string_view kTooLongMessage = "the file name is longer than this system accepts";

struct Answer {
  std::string text;
  bool too_long = false;
};

// One console read: the typed line with its line end dropped.
std::optional<Answer> ReadConsoleAnswer(Io& io) {
  const std::size_t limit = io.platform.NameLimit(NameSource::kConsoleAnswer);
  std::vector<char> buffer(limit + 2);
  const std::int64_t got =
      io.platform.ReadStdin(buffer.data(), static_cast<std::int64_t>(buffer.size()));
  if (got <= 0) {
    // Nothing typed at all (end of input at a terminal, or the null device).
    return std::nullopt;
  }
  Answer answer;
  answer.text.assign(buffer.data(), static_cast<std::size_t>(got));
  const bool ended = answer.text.back() == '\n';
  if (ended) {
    answer.text.pop_back();
    if (!answer.text.empty() && answer.text.back() == '\r') {
      answer.text.pop_back();
    }
  }
  answer.too_long = !ended && answer.text.size() > limit;
  return answer;
}

// Bytes one at a time up to CR or LF; after a CR exactly one more byte is
// consumed (the LF of a CR LF pair). An answer ended by the end of input is
// still an answer.
std::optional<Answer> ReadPipedAnswer(Io& io) {
  const std::size_t limit = io.platform.NameLimit(NameSource::kPipedAnswer);
  Answer answer;
  bool got_any = false;
  for (;;) {
    char byte = 0;
    if (io.platform.ReadStdin(&byte, 1) <= 0) {
      break;
    }
    got_any = true;
    if (byte == '\n') {
      break;
    }
    if (byte == '\r') {
      io.platform.ReadStdin(&byte, 1);
      break;
    }
    answer.text.push_back(byte);
    if (answer.text.size() > limit) {
      // No name this long can be opened; stop here rather than read an
      // endless line.
      answer.too_long = true;
      break;
    }
  }
  if (!got_any) {
    return std::nullopt;
  }
  return answer;
}

// The next answer line, or nothing when standard input is exhausted.
std::optional<Answer> ReadAnswer(Io& io) {
  if (io.stdin_ended) {
    return std::nullopt;
  }
  std::optional<Answer> answer =
      io.platform.StdinIsCharacterDevice() ? ReadConsoleAnswer(io) : ReadPipedAnswer(io);
  if (answer && answer->text.size() == 1 && answer->text.front() == kCtrlZ) {
    io.stdin_ended = true;
    return std::nullopt;
  }
  return answer;
}

std::string ObtainName(Io& io, std::int32_t unit) {
  std::string name;
  if (io.arg_cursor < static_cast<std::int32_t>(io.args.size())) {
    const std::string& arg = io.args[static_cast<std::size_t>(io.arg_cursor)];
    ++io.arg_cursor;
    name = TrimBlanks(arg);
    if (arg.size() > io.platform.NameLimit(NameSource::kArgument)) {
      RAISE_FAILURE(io, {kFailureOpenNotFound, Operation::kOpen, name, kTooLongMessage});
    }
  } else if (io.line_end_owed) {
    WriteStdout(io, kLineEnd);
  }
  while (name.empty()) {
    std::string prompt(kPrompt);
    prompt += std::to_string(unit);
    prompt += "? ";
    WriteStdout(io, prompt);
    FlushStdout(io);
    const std::optional<Answer> answer = ReadAnswer(io);
    if (!answer) {
      RAISE_FAILURE(io, {kFailureInputExhausted, Operation::kOpen, "",
                         "standard input ended while a file name was awaited"});
    }
    name = TrimBlanks(answer->text);
    if (answer->too_long) {
      RAISE_FAILURE(io, {kFailureOpenNotFound, Operation::kOpen, name, kTooLongMessage});
    }
  }
  return name;
}

void ResetReading(Unit& input) {
  input.last_line = nullptr;
  input.fill = 0;
  input.pos = 0;
  input.end_offset = 0;
  input.eof = false;
}

constexpr std::string_view kNotFoundMessage =
    "the file, or a directory on its path, does not exist";
constexpr std::string_view kNotFoundDashMessage =
    "the file, or a directory on its path, does not exist (vellum takes no options: "
    "vellum FILE1 FILE2)";

Failure OpenFailure(OpenStatus status, const std::string& name) {
  switch (status) {
    case OpenStatus::kNotFound:
      // A name like --help was most likely meant as an option.
      return {kFailureOpenNotFound, Operation::kOpen, name,
              name.starts_with('-') ? kNotFoundDashMessage : kNotFoundMessage};
    case OpenStatus::kNameTooLong:
      return {kFailureOpenNotFound, Operation::kOpen, name, kTooLongMessage};
    case OpenStatus::kTooManyLinks:
      return {kFailureOpenNotFound, Operation::kOpen, name,
              "too many symbolic links were met on the way to the file"};
    case OpenStatus::kAccessDenied:
      return {kFailureOpenAccess, Operation::kOpen, name,
              "access to the file was refused, or it is a directory"};
    case OpenStatus::kTooManyFiles:
      return {kFailureOpenTooManyFiles, Operation::kOpen, name, "too many files are open"};
    case OpenStatus::kNoSuchDevice:
      return {kFailureOpenBadName, Operation::kOpen, name, "there is no such device"};
    case OpenStatus::kOk:
    case OpenStatus::kBadName:
      break;
  }
  return {kFailureOpenBadName, Operation::kOpen, name, "the file system does not accept this name"};
}

void RaiseSameFile(Io& io, const std::string& name) {
  RAISE_FAILURE(io, {kFailureOpenSameFile, Operation::kOpen, name,
                     "this file is already open as the other file of the comparison"});
}

// Makes `unit` a unit opened under `name` that has read nothing yet; its
// read buffer stays.
void ResetUnit(Unit& input, const std::string& name) {
  input.open = true;
  input.name.assign(name);
  input.file.reset();
  input.is_device = false;
  input.identity = {};
  input.has_identity = false;
  ResetReading(input);
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

void OPEN_INPUT(Io& io, std::int32_t unit) {
  const std::string name = ObtainName(io, unit);
  Unit& input = UnitOf(io, unit);

  // A device word opens no disk file; such a unit fails at its rewind.
  if (const std::optional<std::string> device = DeviceName(name)) {
    for (const Unit& other : io.units) {
      if (other.open && other.is_device && SameDevice(other.name, *device)) {
        RaiseSameFile(io, *device);
      }
    }
    const std::string opened_as = DeviceOpenName(*device);
    if (!opened_as.empty() && io.platform.OpenDevice(opened_as) != OpenStatus::kOk) {
      RAISE_FAILURE(io, {kFailureOpenNotFound, Operation::kOpen, name,
                         "the device does not exist or cannot be opened"});
    }
    ResetUnit(input, *device);
    input.is_device = true;
    return;
  }

  // The same file may not be compared with itself, whatever path or link
  // names it, nor read while the listing is written into it: the run would
  // read its own output and might never end. A name that cannot be
  // identified fails at the open below.
  if (const std::optional<FileIdentity> identity = io.platform.Identify(name)) {
    for (const Unit& other : io.units) {
      if (other.open && other.has_identity && other.identity == *identity) {
        RaiseSameFile(io, name);
      }
    }
    if (io.platform.StdoutIdentity() == identity) {
      RAISE_FAILURE(io, {kFailureOpenSameFile, Operation::kOpen, name,
                         "this file receives the standard output, so it cannot be compared"});
    }
  }
  OpenResult opened = io.platform.OpenInput(name);
  if (opened.status != OpenStatus::kOk) {
    RAISE_FAILURE(io, OpenFailure(opened.status, name));
  }
  ResetUnit(input, name);
  input.file = std::move(opened.file);
  input.is_device = opened.is_device;
  input.identity = opened.identity;
  input.has_identity = true;
}

void CloseUnits(Io& io) {
  // Closing a file open for reading loses nothing, and the platform reports
  // no failure for it.
  for (Unit& input : io.units) {
    input.file.reset();
    input.open = false;
  }
}

void REWIND_INPUT(Io& io, std::int32_t unit) {
  Unit& input = UnitOf(io, unit);
  if (input.is_device) {
    RAISE_FAILURE(io, {kFailureRewindDevice, Operation::kRewind, input.name,
                       "a device cannot be rewound, so it cannot be compared"});
  }
  ResetReading(input);
}

}  // namespace vellum::io
