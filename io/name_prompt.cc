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

// An answer line as it is read: its text without the blanks around it, so
// that only the name counts against the limit however many blanks surround
// it, and a blank answer of any length is blank.
class Answer {
 public:
  explicit Answer(const Io& io, std::size_t limit) : io_(io), limit_(limit) {}

  // Takes the next byte of the line; false once the name is longer than
  // the limit, when no more need be read.
  bool Take(char byte) {
    ++raw_size_;
    if (byte == ' ') {
      blanks_ += text_.empty() ? 0U : 1U;
      return true;
    }
    text_.append(blanks_, ' ');
    blanks_ = 0;
    text_.push_back(byte);
    // Blanks inside the name count, and may alone pass the limit.
    too_long_ = text_.size() > limit_ && io_.platform.NameLength(text_) > limit_;
    return !too_long_;
  }

  const std::string& Text() const { return text_; }
  bool TooLong() const { return too_long_; }
  // Whether the line held `byte` alone.
  bool IsOnly(char byte) const { return raw_size_ == 1 && text_.size() == 1 && text_[0] == byte; }

 private:
  const Io& io_;
  std::size_t limit_;
  std::string text_;
  std::size_t blanks_ = 0;  // blanks after the text, kept only if more text follows
  std::size_t raw_size_ = 0;
  bool too_long_ = false;
};

// Console reads of at most the limit and its line end, in the console's
// own characters, until the typed line ends.
std::optional<Answer> ReadConsoleAnswer(Io& io) {
  const std::size_t limit = io.platform.NameLimit(NameSource::kConsoleAnswer);
  std::vector<char> buffer(kUtf8BytesPerUnit * (limit + 2));
  Answer answer(io, limit);
  bool got_any = false;
  for (;;) {
    const std::int64_t got = io.platform.ReadConsoleLine(buffer.data(), limit + 2);
    if (got <= 0) {
      // Nothing more typed (end of input at a terminal, or the null device).
      break;
    }
    got_any = true;
    std::string_view chunk(buffer.data(), static_cast<std::size_t>(got));
    const bool ended = !chunk.empty() && chunk.back() == '\n';
    if (ended) {
      chunk.remove_suffix(1);
      if (!chunk.empty() && chunk.back() == '\r') {
        chunk.remove_suffix(1);
      }
    }
    for (const char byte : chunk) {
      if (!answer.Take(byte)) {
        return answer;
      }
    }
    if (ended) {
      break;
    }
  }
  if (!got_any) {
    return std::nullopt;
  }
  return answer;
}

// Bytes one at a time up to CR or LF; after a CR exactly one more byte is
// consumed (the LF of a CR LF pair). An answer ended by the end of input is
// still an answer. No name longer than the limit can be opened, so an
// endless line is read only that far.
std::optional<Answer> ReadPipedAnswer(Io& io) {
  Answer answer(io, io.platform.NameLimit(NameSource::kPipedAnswer));
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
    if (!answer.Take(byte)) {
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
  if (answer && answer->IsOnly(kCtrlZ)) {
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
    name = answer->Text();
    if (answer->TooLong()) {
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
