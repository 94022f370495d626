// Fuzzes whole comparisons in-process on files held in memory. The input is
// split at its first 0xFE byte into file1 and file2 (file2 is file1 again
// when there is none). Each run must end; its listing may hold only lines of
// the two files, the fixed texts, rules and NUL reports; identical inputs
// must give the opening rule alone; and the indexed search, reading short
// or not, must write what the plain search stepping through every pair
// writes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>

#include "app/run.h"
#include "tests/listing_lines.h"
#include "tests/memory_platform.h"
#include "tests/reference_search.h"

namespace {

constexpr char kSplit = '\xFE';

struct Outcome {
  std::string out;
  std::string err;
  int status;
};

// Runs the comparison; reads of both files give at most `read_cap` bytes
// while more follow, drawn counts when `short_seed` is set.
Outcome Run(const std::string& file1, const std::string& file2, const vellum::RunSettings& settings,
            bool blocks = false, std::int64_t read_cap = 0, std::uint32_t short_seed = 0) {
  vellum::testing::MemoryPlatform platform;
  platform.stdout_takes_blocks = blocks;
  for (const auto& [name, bytes] : {std::pair{"f1", &file1}, std::pair{"f2", &file2}}) {
    vellum::testing::MemoryFileSetup setup = vellum::testing::FileBytes(*bytes);
    setup.read_cap = read_cap;
    setup.short_seed = short_seed;
    platform.AddFile(name, std::move(setup));
  }
  const int status = vellum::RunProgram(platform, {"vellum", "f1", "f2"}, settings);
  return {platform.out, platform.err, status};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find(kSplit);
  const std::string file1 = input.substr(0, split);
  const std::string file2 = split == std::string::npos ? file1 : input.substr(split + 1);

  // Read blocks that straddle the quick read's 64 bytes and a record's 301,
  // and searches both shallow and deeper than where the search starts
  // fetching ahead (64 lines).
  vellum::RunSettings fast;
  const auto draw = static_cast<std::int32_t>(size % 97);
  switch (size / 97 % 4) {
    case 0:
      fast.read_block = 1 + draw % 17;
      break;
    case 1:
      fast.read_block = 56 + draw % 16;
      break;
    case 2:
      fast.read_block = 292 + draw % 16;
      break;
    default:
      fast.read_block = 4096;
      break;
  }
  fast.limits.search_cycles = size % 3 == 0 ? 33 + draw % 16 : 1 + draw % 5;
  // A small pass limit for two inputs in five, so that runs of common
  // lines are counted in one step, deferred and settled, and records passed are
  // read again; the run may then end at the limit, as the plain run must.
  const bool limited = size % 5 < 2;
  if (limited) {
    fast.limits.passes = 1 + draw % 40;
  }
  // Standard output in blocks for half the inputs, and reads that come back
  // short for two in seven: the same bytes either way.
  const bool short_reads = size % 7 < 2;
  const Outcome outcome = Run(file1, file2, fast, size % 2 == 0, short_reads ? 1 + draw % 13 : 0,
                              size % 7 == 0 ? static_cast<std::uint32_t>(size) : 0);
  if (!limited && (outcome.status != 0 || !outcome.err.empty())) {
    std::abort();
  }
  if (!limited && file1 == file2 && file1.find('\0') == std::string::npos &&
      outcome.out != "\r\n" + std::string(79, '-') + "\r\nStop - Program terminated.\r\n\r\n") {
    std::abort();
  }
  std::set<std::string> lines;
  vellum::testing::AddListableLines(file1, lines);
  vellum::testing::AddListableLines(file2, lines);
  for (const std::string& line : vellum::testing::SplitConsoleLines(outcome.out)) {
    if (lines.count(line) == 0 && !vellum::testing::IsListingText(line)) {
      std::abort();
    }
  }

  vellum::RunSettings plain = fast;
  plain.search = vellum::testing::PlainSearch;
  plain.limits.skip_common_runs = false;
  const Outcome reference = Run(file1, file2, plain);
  if (reference.out != outcome.out || reference.err != outcome.err ||
      reference.status != outcome.status) {
    std::abort();
  }
  return 0;
}
