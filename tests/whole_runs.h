// Helpers shared by the tests that run vellum, in-process on the memory
// platform or as a child process: the texts a listing is made of, the bytes
// of a whole run's standard output and of a failure report, and whole runs
// on files held in memory.
#ifndef VELLUM_TESTS_WHOLE_RUNS_H_
#define VELLUM_TESTS_WHOLE_RUNS_H_

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/run.h"
#include "io/io.h"
#include "io/termination.h"
#include "tests/memory_platform.h"

namespace vellum::testing {

// The listing's own lines, as console lines.
inline const std::string kRule(79, '-');
inline const std::string kSeparator =
    "-  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -";
inline const std::string kStop = "Stop - Program terminated.\r\n";
inline const std::string kOpeningRule = "\r\n" + kRule + "\r\n";
inline const std::vector<std::string> kEofNotice = {
    "",
    "",
    "LINES PRINTED BELOW MAY INCLUDE LINES THAT ARE",
    "IDENTICAL ON BOTH TAPES, BECAUSE ONE TAPE HIT EOF",
    "BEFORE THE OTHER.",
    "",
    ""};

// The bytes of a file holding `lines`, each ended by LF.
inline std::string Lines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    bytes.append(line).append("\n");
  }
  return bytes;
}

// The console lines of a run: the opening rule, then `body`.
inline std::vector<std::string> Listing(const std::vector<std::string>& body) {
  std::vector<std::string> lines = {"", kRule};
  lines.insert(lines.end(), body.begin(), body.end());
  return lines;
}

inline std::vector<std::string> Concat(const std::vector<std::vector<std::string>>& parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

// The framed report for file `digit`, in code page 437 bytes.
inline std::vector<std::string> NulBox(char digit) {
  const std::string bar(23, '\xCD');
  return {"",
          "",
          "        \xC9" + bar + "\xBB",
          "        \xBA                       \xBA",
          std::string("        \xBA NUL's found in file") + digit + "  \xBA",
          "        \xBA                       \xBA",
          "        \xC8" + bar + "\xBC",
          "",
          ""};
}

// What a run that wrote `lines` as console lines and then stopped puts on
// standard output: the lines joined by CR LF, the owed CR LF, the
// termination message and the final CR LF.
inline std::string ListingOutput(const std::vector<std::string>& lines) {
  std::string bytes;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    bytes.append(i > 0 ? "\r\n" : "").append(lines[i]);
  }
  if (lines.empty()) {
    return kStop;
  }
  return bytes.append("\r\n").append(kStop).append("\r\n");
}

// The report of a failure of the main program at `statement`: `what` is
// the code and category with the name, as in "F6416: OPEN(data2)".
inline std::string MainReport(int statement, const std::string& what, const std::string& message) {
  const std::string at = "vellum(" + std::to_string(statement) + ")";
  std::string text = "\r\n";
  text.append(at).append(" : run-time error ").append(what).append("\r\n- ").append(message);
  text.append("\r\n\r\nExecution traceback:\r\n\t\tfrom main program in ").append(at);
  return text.append("\r\n");
}

struct Outcome {
  std::string out;
  std::string err;
  int status = 0;
  bool operator==(const Outcome&) const = default;
};

// RunSettings with reads of 1024 bytes, the block size the fault cases count in.
inline RunSettings Blocks1024(core::Limits limits = {}, core::SearchRoutine search = nullptr) {
  RunSettings settings;
  settings.limits = limits;
  settings.read_block = 1024;
  settings.search = search;
  return settings;
}

// Runs `vellum f1 f2` on `platform` with `settings`.
inline Outcome RunWith(MemoryPlatform& platform, const RunSettings& settings = {}) {
  const int status = RunProgram(platform, {"vellum", "f1", "f2"}, settings);
  return {platform.out, platform.err, status};
}

// Runs `vellum f1 f2` on two files holding `file1` and `file2`.
inline Outcome RunFiles(const std::string& file1, const std::string& file2,
                        const RunSettings& settings = {}) {
  MemoryPlatform platform;
  platform.AddFile("f1", file1);
  platform.AddFile("f2", file2);
  return RunWith(platform, settings);
}

// A whole comparison and the console lines it must list.
struct ListingCase {
  const char* name;
  std::string file1;
  std::string file2;
  std::vector<std::string> console;  // opening rule included
};

inline void ExpectListing(const ListingCase& c) {
  const Outcome outcome = RunFiles(c.file1, c.file2);
  EXPECT_EQ(outcome.out, ListingOutput(c.console)) << c.name;
  EXPECT_EQ(outcome.err, "") << c.name;
  EXPECT_EQ(outcome.status, 0) << c.name;
}

inline void ExpectListings(const std::vector<ListingCase>& cases) {
  for (const ListingCase& c : cases) {
    ExpectListing(c);
  }
}

// The statement and routine at the head of `report`, as "vellum(203) in
// main program" for a failure of the main program.
inline std::string InnermostOf(const std::string& report) {
  const std::size_t at = report.find("vellum(");
  const std::size_t from = report.find("\t\tfrom ");
  if (at == std::string::npos || from == std::string::npos) {
    return "";
  }
  const std::size_t routine_end = report.find(" in ", from);
  return report.substr(at, report.find(')', at) + 1 - at) + " in " +
         report.substr(from + 7, routine_end - from - 7);
}

// The main program's statement in the traceback of `report`, as
// "vellum(N)"; empty when the main program is not in it.
inline std::string MainStatementOf(const std::string& report) {
  constexpr std::string_view kMain = "from main program in ";
  const std::size_t at = report.rfind(kMain);
  if (at == std::string::npos) {
    return "";
  }
  const std::size_t start = at + kMain.size();
  return report.substr(start, report.find(')', start) + 1 - start);
}

// The failure report that the end recorded in `io` would write.
inline std::string ReportOf(const io::Io& io) {
  std::string text;
  io::FormatReport(io.termination.ending, text);
  return text;
}

}  // namespace vellum::testing

#endif  // VELLUM_TESTS_WHOLE_RUNS_H_
