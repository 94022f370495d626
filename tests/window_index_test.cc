// The window index against a brute-force search over the same lines, as it
// fills and over several searches in a row on a nearly full table.
#include "core/window_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vellum::core {
namespace {

TEST(WindowIndex, FindsFirstAndLastLikeABruteForceSearchAcrossClears) {
  std::mt19937 random(11);
  constexpr std::int32_t kMaxLines = 400;
  WindowIndex index(kMaxLines);
  for (int round = 0; round < 20; ++round) {
    index.Clear();
    // Many distinct windows in early rounds fill the table; few in later
    // rounds make many lines share a window.
    const std::uint32_t distinct = round % 2 == 0 ? 5000 : 7;
    std::vector<std::string> windows[2];
    std::vector<bool> agrees[2];
    // Probes every few lines, before and after all the cells are taken.
    const auto expect_found_as_brute_force = [&](std::int32_t lines) {
      for (std::int32_t file = 1; file <= 2; ++file) {
        ASSERT_EQ(index.Count(file), lines);
        const auto& mine = windows[file - 1];
        for (const std::string& probe :
             {windows[0][mine.size() / 3], windows[1].back(), std::string(25, 'z')}) {
          std::int32_t first = 0;
          std::int32_t last = 0;
          for (std::size_t i = 0; i < mine.size(); ++i) {
            if (mine[i] == probe && agrees[file - 1][i]) {
              first = first == 0 ? static_cast<std::int32_t>(i) + 1 : first;
              last = static_cast<std::int32_t>(i) + 1;
            }
          }
          EXPECT_EQ(index.First(file, probe), first) << "round " << round << " lines " << lines;
          EXPECT_EQ(index.Last(file, probe), last) << "round " << round << " lines " << lines;
        }
      }
    };
    for (std::int32_t n = 0; n < kMaxLines; ++n) {
      for (std::int32_t file = 1; file <= 2; ++file) {
        std::string window(kWindowWidth, ' ');
        window.replace(0, 8, std::to_string(10000000 + random() % distinct));
        const bool can_agree = file == 2 || random() % 4 != 0;
        index.Add(file, window, can_agree);
        windows[file - 1].push_back(window);
        agrees[file - 1].push_back(can_agree);
      }
      if ((n + 1) % 13 == 0 || n + 1 == kMaxLines) {
        expect_found_as_brute_force(n + 1);
      }
    }
  }
}

}  // namespace
}  // namespace vellum::core
