// Deferred passes, settled by reading the runs again from file1.
#include "core/pass_debt.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/core_constants.h"
#include "io/open.h"
#include "tests/memory_platform.h"

namespace vellum::core {
namespace {

struct SettleRow {
  const char* name;
  std::function<void(std::string&)> rewrite;  // file1 changed once the run is deferred
  std::int64_t passes;
};

TEST(PassDebt, SettlesSignificantLinesOrEveryRecordOfARunNoLongerWhole) {
  // A run of four records, one of them ignorable, deferred in two parts
  // that join; then a line of file1 the run does not hold.
  const std::string run = "c1\nC\nc2\nc3\n";
  const std::vector<SettleRow> rows = {
      {"unchanged", [](std::string&) {}, 3},
      {"grown inside its last record",
       [](std::string& bytes) { bytes.insert(bytes.begin() + 10, 'x'); }, 4},
      {"shrunk inside it", [](std::string& bytes) { bytes.resize(7); }, 4},
      {"two of its records joined", [](std::string& bytes) { bytes[2] = 'x'; }, 4},
  };
  for (const SettleRow& row : rows) {
    testing::MemoryPlatform platform;
    platform.AddFile("f1", run + "end\n");
    io::Io io(platform, {"vellum", "f1"}, 64);
    io::OPEN_INPUT(io, kUnit1);
    PassDebt debt;
    Defer(debt, 0, 5, 2);
    Defer(debt, 5, 6, 2);
    ASSERT_EQ(debt.most, 4) << row.name;
    platform.AddFile("f1", [&] {
      std::string bytes = run + "end\n";
      row.rewrite(bytes);
      return bytes;
    }());
    EXPECT_EQ(Settle(debt, io), row.passes) << row.name;
    EXPECT_EQ(debt.most, 0) << row.name;
  }
}

}  // namespace
}  // namespace vellum::core
