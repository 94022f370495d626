// The man page as a reader sees it: rendered by man at 80 columns, no line
// is wider, and the program's own texts stand in it exactly as the program
// writes them, each on a line of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/core_constants.h"
#include "io/io_constants.h"

namespace vellum::testing {
namespace {

// The page rendered by man in `locale`, line by line, with blanks trimmed.
std::vector<std::string> Rendered(const std::string& locale, std::size_t* widest) {
  const std::string command =
      "LC_ALL=" + locale + " MANWIDTH=80 man -l '" + VELLUM_MAN_PAGE + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string text;
  if (pipe != nullptr) {
    std::array<char, 4096> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
      text.append(buffer.data(), got);
    }
    ::pclose(pipe);
  }
  std::vector<std::string> lines;
  *widest = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end;
    const std::string_view line(text.data() + start, end - start);
    std::size_t columns = 0;
    for (const char byte : line) {
      columns += (static_cast<unsigned char>(byte) & 0xC0) == 0x80 ? 0 : 1;  // UTF-8 starts
    }
    *widest = std::max(*widest, columns);
    const std::size_t first = line.find_first_not_of(' ');
    const std::size_t last = line.find_last_not_of(' ');
    lines.emplace_back(first == std::string_view::npos ? "" : line.substr(first, last - first + 1));
    start = end + 1;
  }
  return lines;
}

// A record's text as a console line: without its control character and
// the line end.
std::string Line(std::string_view text) {
  if (text.starts_with(' ')) {
    text.remove_prefix(1);
  }
  if (text.ends_with("\r\n")) {
    text.remove_suffix(2);
  }
  return std::string(text);
}

TEST(ManPage, RendersWithinEightyColumnsAndShowsTheProgramsTexts) {
  const std::string prompt(io::kPrompt);
  const std::string depth = std::to_string(2 * core::kSearchCycleLimit + 1);
  const std::vector<std::string> texts = {
      Line(io::kStopMessage),
      Line(core::kEofNotice1),
      Line(core::kEofNotice2),
      Line(core::kEofNotice3),
      Line(core::kLoopMessage1),
      Line(core::kLoopMessage2),
      Line(std::string(core::kUnsynchronisedNotice1) + depth +
           std::string(core::kUnsynchronisedNotice2)),
      prompt.substr(0, prompt.find('\r')),
      prompt.substr(prompt.find('\n') + 1) + "2?",
      std::string(core::kRuleWidth, '-'),
  };
  for (const char* locale : {"C", "C.UTF-8"}) {
    std::size_t widest = 0;
    const std::vector<std::string> lines = Rendered(locale, &widest);
    ASSERT_GT(lines.size(), 100U) << "man rendered nothing in " << locale;
    EXPECT_LE(widest, 80U) << locale;
    for (const std::string& text : texts) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), text), lines.end())
          << locale << ": the page does not show '" << text << "' on a line of its own";
    }
  }
}

}  // namespace
}  // namespace vellum::testing
