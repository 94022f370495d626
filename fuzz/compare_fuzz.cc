// Fuzzes whole comparisons in-process on files held in memory. The input is
// split at its first 0xFE byte into file1 and file2 (file2 is file1 again
// when there is none). Each run must end; its listing may hold only lines of
// the two files, the fixed texts, rules and NUL reports; identical inputs
// must give the opening rule alone; and the indexed search must write what
// the plain search stepping through every pair writes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "app/run.h"
#include "tests/memory_platform.h"
#include "tests/reference_search.h"

namespace {

constexpr char kSplit = '\xFE';

struct Outcome {
  std::string out;
  std::string err;
  int status;
};

Outcome Run(const std::string& file1, const std::string& file2, const vellum::Seams& seams) {
  vellum::testing::MemoryPlatform platform;
  platform.AddFile("f1", file1);
  platform.AddFile("f2", file2);
  const int status = vellum::RunProgram(platform, {"vellum", "f1", "f2"}, seams);
  return {platform.out, platform.err, status};
}

// Every line of `bytes` as the listing could write it, at most 300 bytes
// without trailing blanks, and with each NUL turned into a blank one at a
// time, as the bar lines of the NUL report show it.
void AddLines(const std::string& bytes, std::set<std::string>& lines) {
  std::size_t start = 0;
  while (start <= bytes.size()) {
    std::size_t lf = bytes.find('\n', start);
    lf = lf == std::string::npos ? bytes.size() : lf;
    std::string data = bytes.substr(start, lf - start);
    data = data.substr(0, data.find('\r')).substr(0, 300);
    for (;;) {
      std::string trimmed = data;
      trimmed.erase(trimmed.find_last_not_of(' ') + 1);
      lines.insert(trimmed);
      lines.insert("|" + trimmed + "|");
      const std::size_t nul = data.find('\0');
      if (nul == std::string::npos) {
        break;
      }
      data[nul] = ' ';
    }
    start = lf + 1;
  }
}

bool Allowed(const std::string& line, const std::set<std::string>& lines) {
  static const std::set<std::string> kFixed = {
      "",
      std::string(79, '-'),
      "-  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -",
      "LINES PRINTED BELOW MAY INCLUDE LINES THAT ARE",
      "IDENTICAL ON BOTH TAPES, BECAUSE ONE TAPE HIT EOF",
      "BEFORE THE OTHER.",
      "**** {DO 68} LOOP TOO SMALL FOR THE INPUT DATA.",
      "**** THERE IS PROBABLY MORE DATA NOT COMPARED.",
      "Stop - Program terminated."};
  if (kFixed.count(line) != 0 || lines.count(line) != 0) {
    return true;
  }
  // The framed NUL reports and the notice of an unsynchronised block.
  return line.rfind("        \xC9", 0) == 0 || line.rfind("        \xBA", 0) == 0 ||
         line.rfind("        \xC8", 0) == 0 || line.rfind("**** NO AGREEMENT WITHIN ", 0) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find(kSplit);
  const std::string file1 = input.substr(0, split);
  const std::string file2 = split == std::string::npos ? file1 : input.substr(split + 1);

  vellum::Seams fast;
  fast.read_block = 1 + static_cast<std::int32_t>(size % 17);
  fast.limits.search_cycles = 1 + static_cast<std::int32_t>(size % 5);
  const Outcome outcome = Run(file1, file2, fast);
  if (outcome.status != 0 || !outcome.err.empty()) {
    std::abort();
  }
  if (file1 == file2 && file1.find('\0') == std::string::npos &&
      outcome.out != "\r\n" + std::string(79, '-') + "\r\nStop - Program terminated.\r\n\r\n") {
    std::abort();
  }
  std::set<std::string> lines;
  AddLines(file1, lines);
  AddLines(file2, lines);
  std::size_t start = 0;
  for (std::size_t end = outcome.out.find("\r\n"); end != std::string::npos;
       end = outcome.out.find("\r\n", start)) {
    if (!Allowed(outcome.out.substr(start, end - start), lines)) {
      std::abort();
    }
    start = end + 2;
  }

  vellum::Seams plain = fast;
  plain.search = vellum::testing::PlainSearch;
  plain.limits.skip_common_runs = false;
  const Outcome reference = Run(file1, file2, plain);
  if (reference.out != outcome.out || reference.status != outcome.status) {
    std::abort();
  }
  return 0;
}
