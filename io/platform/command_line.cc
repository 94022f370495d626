// The standard splitting of a Windows command line.
#include "io/platform/command_line.h"

namespace vellum::io {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
  std::vector<std::wstring> args;
  std::size_t i = 0;
  const std::size_t n = line.size();

  // Argument 0, the program, takes no escapes.
  std::wstring program;
  if (n > 0 && line[0] == L'"') {
    for (i = 1; i < n && line[i] != L'"'; ++i) {
      program += line[i];
    }
    i = i < n ? i + 1 : i;
  } else {
    for (; i < n && !IsBlank(line[i]); ++i) {
      program += line[i];
    }
  }
  args.push_back(program);

  for (;;) {
    while (i < n && IsBlank(line[i])) {
      ++i;
    }
    if (i >= n) {
      break;
    }
    std::wstring arg;
    bool quoted = false;
    while (i < n && (quoted || !IsBlank(line[i]))) {
      if (line[i] == L'\\') {
        std::size_t backslashes = 0;
        for (; i < n && line[i] == L'\\'; ++i) {
          ++backslashes;
        }
        if (i < n && line[i] == L'"') {
          arg.append(backslashes / 2, L'\\');
          if (backslashes % 2 == 1) {
            arg += L'"';
            ++i;
          }
        } else {
          arg.append(backslashes, L'\\');
        }
        continue;
      }
      if (line[i] == L'"') {
        if (quoted && i + 1 < n && line[i + 1] == L'"') {
          arg += L'"';
          quoted = false;
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
        continue;
      }
      arg += line[i++];
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace vellum::io
