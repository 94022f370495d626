// What a listing may hold, for checks that cannot know its exact bytes: the
// lines of its input files as the listing writes them, and its own texts.
#ifndef VELLUM_TESTS_LISTING_LINES_H_
#define VELLUM_TESTS_LISTING_LINES_H_

#include <set>
#include <string>
#include <vector>

namespace vellum::testing {

// The console lines of standard output: the bytes split at each CR LF.
inline std::vector<std::string> SplitConsoleLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = bytes.find("\r\n"); end != std::string::npos;
       end = bytes.find("\r\n", start)) {
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  lines.push_back(bytes.substr(start));
  return lines;
}

// Adds each line of `bytes` as the listing could write it: its data up to
// CR or LF, at most 300 bytes, without trailing blanks; and, between bars,
// each form it takes while its NULs are blanked one at a time.
inline void AddListableLines(const std::string& bytes, std::set<std::string>& lines) {
  std::size_t start = 0;
  while (start < bytes.size()) {
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

// Whether `line` is one of the listing's own lines: rules, separators,
// notices, limit messages, the stop message and the framed NUL reports.
inline bool IsListingText(const std::string& line) {
  static const std::set<std::string> kTexts = {
      "",
      std::string(79, '-'),
      "-  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -",
      "LINES PRINTED BELOW MAY INCLUDE LINES THAT ARE",
      "IDENTICAL ON BOTH TAPES, BECAUSE ONE TAPE HIT EOF",
      "BEFORE THE OTHER.",
      "**** {DO 68} LOOP TOO SMALL FOR THE INPUT DATA.",
      "**** THERE IS PROBABLY MORE DATA NOT COMPARED.",
      "Stop - Program terminated."};
  return kTexts.count(line) != 0 || line.rfind("        \xC9", 0) == 0 ||
         line.rfind("        \xBA", 0) == 0 || line.rfind("        \xC8", 0) == 0 ||
         line.rfind("**** NO AGREEMENT WITHIN ", 0) == 0;
}

}  // namespace vellum::testing

#endif  // VELLUM_TESTS_LISTING_LINES_H_
