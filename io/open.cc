// Input file naming, device words, the same-file check and opening.
#include "io/open.h"

#include <optional>

#include "io/console.h"
#include "io/devices.h"
#include "io/name_prompt.h"
#include "io/recent_records.h"
#include "io/termination.h"

namespace vellum::io {
namespace {

std::string ObtainName(Io& io, std::int32_t unit) {
  std::string name;
  if (io.naming.arg_cursor < static_cast<std::int32_t>(io.naming.args.size())) {
    const std::string& arg = io.naming.args[static_cast<std::size_t>(io.naming.arg_cursor)];
    ++io.naming.arg_cursor;
    // Blanks around a name are no part of it, and do not count against the
    // limit.
    name = TrimBlanks(arg);
    if (io.platform.NameLength(name) > io.platform.NameLimit(NameSource::kArgument)) {
      RAISE_FAILURE(io, {kFailureOpenNotFound, Operation::kOpen, name, kNameTooLongMessage});
    }
    if (!name.empty()) {
      return name;
    }
  } else if (io.console.line_end_owed) {
    WriteStdout(io, kLineEnd);
  }
  return PromptForName(io, unit);
}

void ResetReading(InputUnit& input) {
  input.last_line = nullptr;
  input.last_length = 0;
  input.fill = 0;
  input.pos = 0;
  input.end_offset = 0;
  input.eof = false;
  ForgetRecent(input);
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
      return {kFailureOpenNotFound, Operation::kOpen, name, kNameTooLongMessage};
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
void ResetUnit(InputUnit& input, const std::string& name) {
  input.open = true;
  input.name.assign(name);
  input.file.reset();
  input.is_device = false;
  input.identity.reset();
  ResetReading(input);
}

// Opens unit `unit` as OPEN_INPUT does.
void OpenUnit(Io& io, std::int32_t unit) {
  const std::string name = ObtainName(io, unit);
  InputUnit& input = UnitOf(io, unit);

  // A device word opens no disk file; such a unit fails at its rewind.
  if (const std::optional<std::string> device = DeviceName(name)) {
    for (const InputUnit& other : io.units) {
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

  OpenResult opened = io.platform.OpenInput(name);
  if (opened.status != OpenStatus::kOk) {
    RAISE_FAILURE(io, OpenFailure(opened.status, name));
  }
  // The same file may not be compared with itself, whatever path or link
  // names it, nor read while the listing is written into it: the run would
  // read its own output and might never end. The file is known by what was
  // opened, not by the name, which may lead elsewhere by now.
  if (opened.identity) {
    for (const InputUnit& other : io.units) {
      if (other.open && other.identity == opened.identity) {
        RaiseSameFile(io, name);
      }
    }
    if (io.platform.StdoutIdentity() == opened.identity) {
      RAISE_FAILURE(io, {kFailureOpenSameFile, Operation::kOpen, name,
                         "this file receives the standard output, so it cannot be compared"});
    }
  }
  ResetUnit(input, name);
  input.file = std::move(opened.file);
  input.is_device = opened.is_device;
  input.identity = opened.identity;
}

}  // namespace

void OPEN_INPUT(Io& io, std::int32_t unit) {
  OpenUnit(io, unit);
  // Both inputs open and checked: the rest of the run only reads them and
  // writes, and a crafted input that found a fault could do no more.
  if (io.units[0].open && io.units[1].open) {
    io.platform.Confine(io.units[0].file.get(), io.units[1].file.get());
  }
}

void CloseUnits(Io& io) {
  // Closing a file open for reading loses nothing, and the platform reports
  // no failure for it.
  for (InputUnit& input : io.units) {
    input.file.reset();
    input.open = false;
  }
}

void REWIND_INPUT(Io& io, std::int32_t unit) {
  InputUnit& input = UnitOf(io, unit);
  if (input.is_device) {
    RAISE_FAILURE(io, {kFailureRewindDevice, Operation::kRewind, input.name,
                       "a device cannot be rewound, so it cannot be compared"});
  }
  ResetReading(input);
  input.size = input.file ? input.file->Size() : -1;
}

}  // namespace vellum::io
