// Helpers shared by the tests that run vellum in-process on the memory
// platform: a whole run's outcome, and the report a run's end would write.
#ifndef VELLUM_TESTS_WHOLE_RUNS_H_
#define VELLUM_TESTS_WHOLE_RUNS_H_

#include <string>
#include <vector>

#include "app/run.h"
#include "io/io.h"
#include "io/termination.h"
#include "tests/memory_platform.h"

namespace vellum::testing {

struct Outcome {
  std::string out;
  std::string err;
  int status = 0;
  bool operator==(const Outcome&) const = default;
};

// Runs `vellum f1 f2` on `platform` with `seams`.
inline Outcome RunWith(MemoryPlatform& platform, const Seams& seams = {}) {
  const int status = RunProgram(platform, {"vellum", "f1", "f2"}, seams);
  return {platform.out, platform.err, status};
}

// Runs `vellum f1 f2` on two files holding `file1` and `file2`.
inline Outcome RunFiles(const std::string& file1, const std::string& file2,
                        const Seams& seams = {}) {
  MemoryPlatform platform;
  platform.AddFile("f1", file1);
  platform.AddFile("f2", file2);
  return RunWith(platform, seams);
}

// The failure report that the end recorded in `io` would write.
inline std::string ReportOf(const io::Io& io) {
  std::string text;
  io::FormatReport(io.termination.ending, text);
  return text;
}

}  // namespace vellum::testing

#endif  // VELLUM_TESTS_WHOLE_RUNS_H_
