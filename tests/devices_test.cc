// Recognition of the device words.
#include "io/devices.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace vellum::io {
namespace {

TEST(DeviceName, RecognisesDeviceWordsByTheirBase) {
  struct Row {
    const char* name;
    std::optional<std::string> device;
  };
  const std::vector<Row> rows = {
      {"CON", "CON"},           {"con", "con"},
      {"con.txt", "con"},       {"nul.x", "nul"},
      {"NUL.", "NUL"},          {"prn.tar.gz", std::nullopt},
      {"AUX", "AUX"},           {"com1", "com1"},
      {"COM4.bin", "COM4"},     {"com5", std::nullopt},
      {"lpt4", "lpt4"},         {"LPT1.txt", std::nullopt},
      {"err", "err"},           {"err.log", std::nullopt},
      {"line", "line"},         {"line.dat", std::nullopt},
      {"user", "CON"},          {"USER", "CON"},
      {"user.x", std::nullopt}, {"conx", std::nullopt},
      {"co", std::nullopt},     {"dir/con", std::nullopt},
      {"e.con", std::nullopt},  {" con", std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(DeviceName(row.name), row.device) << row.name;
  }
}

TEST(SameDevice, ComparesWithoutCaseAndNeverRefusesTheNullDevice) {
  EXPECT_TRUE(SameDevice("con", "CON"));
  EXPECT_TRUE(SameDevice("Com1", "cOM1"));
  EXPECT_FALSE(SameDevice("com1", "com2"));
  EXPECT_FALSE(SameDevice("NUL", "nul"));
}

}  // namespace
}  // namespace vellum::io
