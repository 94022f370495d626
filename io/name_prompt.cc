// The name prompt and the reading of its answers.
#include "io/name_prompt.h"

#include <optional>
#include <vector>

#include "io/console.h"
#include "io/termination.h"

namespace vellum::io {
namespace {

// A line holding only this byte ends standard input.
constexpr char kCtrlZ = '\x1a';

struct Answer {
  std::string text;
  bool too_long = false;
};

// One console read of at most the limit and its line end, in the console's
// own characters: the typed line with its line end dropped.
std::optional<Answer> ReadConsoleAnswer(Io& io) {
  const std::size_t limit = io.platform.NameLimit(NameSource::kConsoleAnswer);
  std::vector<char> buffer(kUtf8BytesPerUnit * (limit + 2));
  const std::int64_t got = io.platform.ReadConsoleLine(buffer.data(), limit + 2);
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
  answer.too_long = !ended && io.platform.NameLength(answer.text) > limit;
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
    if (answer.text.size() > limit && io.platform.NameLength(answer.text) > limit) {
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
  if (io.naming.stdin_ended) {
    return std::nullopt;
  }
  std::optional<Answer> answer =
      io.platform.StdinIsCharacterDevice() ? ReadConsoleAnswer(io) : ReadPipedAnswer(io);
  if (answer && answer->text.size() == 1 && answer->text.front() == kCtrlZ) {
    io.naming.stdin_ended = true;
    return std::nullopt;
  }
  return answer;
}

}  // namespace

std::string PromptForName(Io& io, std::int32_t unit) {
  std::string name;
  while (name.empty()) {
    WriteStdout(io, kPrompt);
    WriteStdout(io, std::to_string(unit));
    WriteStdout(io, "? ");
    FlushStdout(io);
    const std::optional<Answer> answer = ReadAnswer(io);
    if (!answer) {
      RAISE_FAILURE(io, {kFailureInputExhausted, Operation::kOpen, "",
                         "standard input ended while a file name was awaited"});
    }
    name = TrimBlanks(answer->text);
    if (answer->too_long) {
      RAISE_FAILURE(io, {kFailureOpenNotFound, Operation::kOpen, name, kNameTooLongMessage});
    }
  }
  return name;
}

std::string TrimBlanks(std::string_view name) {
  const std::size_t first = name.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  const std::size_t last = name.find_last_not_of(' ');
  return std::string(name.substr(first, last - first + 1));
}

}  // namespace vellum::io
