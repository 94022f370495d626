// The indexed search and the passes over common runs against the plain
// search stepping through every pair: both must write the same bytes on
// many generated pairs of files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/run.h"
#include "tests/memory_platform.h"
#include "tests/reference_search.h"
#include "tests/whole_runs.h"

namespace vellum {
namespace {

using testing::MemoryFileSetup;
using testing::MemoryPlatform;
using testing::Outcome;

// Runs the pair with standard output written record by record, or in
// blocks when `blocks`.
Outcome RunPair(const MemoryFileSetup& file1, const MemoryFileSetup& file2,
                const RunSettings& settings, bool blocks = false) {
  MemoryPlatform platform;
  platform.stdout_takes_blocks = blocks;
  platform.AddFile("f1", file1);
  platform.AddFile("f2", file2);
  return testing::RunWith(platform, settings);
}

// Lines from a small alphabet, so that agreements happen at every depth and
// every tie-break, with the kinds of line the comparison treats specially.
class LineMaker {
 public:
  explicit LineMaker(std::mt19937& random) : random_(random) {}

  std::string Line() {
    const std::string window(25, 'w');
    switch (Pick(20)) {
      case 0:
        return "";
      case 1:
        return "C";
      case 2:
        return "!";
      case 3:
        return "  Date (Day of year) Time " + std::to_string(Pick(3));
      case 4:
        return std::string("A\0", 2);  // blanked, agrees with "A"
      case 5:
        return std::string("\0", 1);  // blanked, ignorable
      case 6:
        return window + "tail" + std::to_string(Pick(3));  // differs after column 25
      case 7:
        return std::string(25, ' ') + "x";  // agrees with a blank line of file2
      case 8:
        return std::string(310, static_cast<char>('K' + Pick(2)));
      case 9:  // a blank or a marker, blanks, then something or nothing
        return std::string(1, " Cc!"[Pick(4)]) + std::string(Pick(3), ' ') +
               (Pick(2) == 0 ? "" : "x");
      default:
        return std::string(1, static_cast<char>('A' + Pick(alphabet_)));
    }
  }

  std::string File(std::size_t lines) {
    std::string bytes;
    const bool crlf = Pick(4) == 0;
    for (std::size_t i = 0; i < lines; ++i) {
      bytes += Line() + (crlf ? "\r\n" : "\n");
    }
    if (!bytes.empty() && Pick(5) == 0) {
      bytes.pop_back();  // no line end after the last line
    }
    return bytes;
  }

  // A copy of `bytes` with lines changed, inserted and deleted.
  std::string Edit(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
      std::size_t lf = bytes.find('\n', start);
      lf = lf == std::string::npos ? bytes.size() : lf;
      lines.push_back(bytes.substr(start, lf - start));
      start = lf + 1;
    }
    std::string edited;
    for (const std::string& line : lines) {
      const std::uint32_t roll = Pick(10);
      if (roll == 0) {
        continue;
      }
      if (roll == 1) {
        edited += Line() + "\n";
      }
      edited += (roll == 2 ? Line() : line) + "\n";
    }
    return edited;
  }

  // `lines` lines found nowhere else but in lines of the same `kind`, then
  // `rest`.
  static std::string Distinct(char kind, std::size_t lines, const std::string& rest) {
    std::string bytes;
    for (std::size_t i = 0; i < lines; ++i) {
      bytes += kind;
      bytes += std::to_string(i);
      bytes += '\n';
    }
    bytes += rest;
    return bytes;
  }

  void SetAlphabet(std::uint32_t size) { alphabet_ = size; }
  std::uint32_t Pick(std::uint32_t n) { return static_cast<std::uint32_t>(random_() % n); }

 private:
  std::mt19937& random_;
  std::uint32_t alphabet_ = 3;
};

TEST(Differential, IndexedSearchWritesWhatThePlainSearchWrites) {
  std::mt19937 random(5);
  LineMaker maker(random);
  int compared = 0;
  for (int trial = 0; trial < 6000; ++trial) {
    maker.SetAlphabet(2 + maker.Pick(6));
    std::string file1 = maker.File(maker.Pick(40));
    std::string file2 = maker.Pick(3) == 0 ? maker.File(maker.Pick(40)) : maker.Edit(file1);
    if (maker.Pick(30) == 0) {
      // A deep search, its index well filled.
      file1 = LineMaker::Distinct('a', 60 + maker.Pick(80), file1);
      file2 = LineMaker::Distinct('b', 60 + maker.Pick(80), file2);
    }
    // Long runs of common lines, passed a block at a time; under a pass
    // limit within them, runs deferred in parts that join are settled.
    const bool common_runs = maker.Pick(12) == 0;
    if (common_runs) {
      const std::size_t lines = 40 + maker.Pick(200);
      file1 = LineMaker::Distinct('c', lines, file1);
      file2 = LineMaker::Distinct('c', lines, file2);
    }
    RunSettings fast;
    // Blocks that straddle the quick read's 64 bytes and a record's 301.
    constexpr std::int32_t kBlockBases[] = {1, 56, 292, 4096};
    fast.read_block = kBlockBases[maker.Pick(4)] + static_cast<std::int32_t>(maker.Pick(17));
    if (maker.Pick(3) == 0) {
      fast.limits.search_cycles = 1 + static_cast<std::int32_t>(maker.Pick(4));
    }
    if (common_runs && maker.Pick(2) == 0) {
      fast.limits.passes = 1 + static_cast<std::int32_t>(maker.Pick(300));
    } else if (const std::uint32_t roll = maker.Pick(8); roll == 0) {
      fast.limits.passes = 1 + static_cast<std::int32_t>(maker.Pick(20));
    } else if (roll == 1) {
      // A limit that runs of common lines may reach at first, and then no
      // longer can: they are counted, then passed uncounted.
      const auto bound = static_cast<std::uint32_t>((file1.size() + file2.size()) / 2 + 2);
      fast.limits.passes = 1 + static_cast<std::int32_t>(maker.Pick(bound));
    }
    RunSettings plain = fast;
    plain.search = testing::PlainSearch;
    plain.limits.skip_common_runs = false;
    // Reads of one file fail from some offset on in a third of the trials,
    // so that failures meet the search at every step.
    MemoryFileSetup setup1 = testing::FileBytes(file1);
    MemoryFileSetup setup2 = testing::FileBytes(file2);
    MemoryFileSetup seen1 = setup1;
    MemoryFileSetup seen2 = setup2;
    if (const std::uint32_t roll = maker.Pick(6); roll < 2) {
      MemoryFileSetup& failing = roll == 0 ? setup1 : setup2;
      failing.fail_from = maker.Pick(static_cast<std::uint32_t>(failing.bytes.size()) + 1);
      seen1 = setup1;
      seen2 = setup2;
    } else if (roll == 2) {
      // Or one file shrinks once it is open, before its first read: it is
      // read as the shorter file it has become, whatever its size was.
      MemoryFileSetup& shrunk = maker.Pick(2) == 0 ? seen1 : seen2;
      const std::size_t size = maker.Pick(static_cast<std::uint32_t>(shrunk.bytes.size()) + 1);
      shrunk.change_after_reads = 0;
      shrunk.change = [size](std::string& bytes) { bytes.resize(size); };
      (&shrunk == &seen1 ? setup1 : setup2).bytes.resize(size);
    }
    if (maker.Pick(4) == 0) {
      // Reads of either file or both come back short, capped or drawn, at
      // every offset, forward and backward: the same listing.
      const std::uint32_t cap = 1 + maker.Pick(maker.Pick(2) == 0 ? 8 : 400);
      const std::uint32_t seed = maker.Pick(2) == 0 ? 0 : 1 + maker.Pick(1000);
      for (MemoryFileSetup* short_reading : {&seen1, &seen2}) {
        if (maker.Pick(3) != 0) {
          short_reading->read_cap = cap;
          short_reading->short_seed = seed;
        }
      }
    }
    const Outcome expected = RunPair(setup1, setup2, plain);
    const Outcome got = RunPair(seen1, seen2, fast, maker.Pick(2) == 0);
    ASSERT_EQ(got, expected) << "trial " << trial << "\n--- file1\n"
                             << file1 << "\n--- file2\n"
                             << file2 << "\n--- expected\n"
                             << expected.out << expected.err << "\n--- got\n"
                             << got.out << got.err;
    ++compared;
  }
  EXPECT_EQ(compared, 6000);
}

}  // namespace
}  // namespace vellum
