// Runs of records both files hold alike, measured in one step, against
// reading and classifying each record.
#include "core/record_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/ignorable.h"

namespace vellum::testing {
namespace {

// The run of records a pass over common lines takes, against reading the
// records one by one and classifying each one's data.
TEST(RecordRun, TakesWhatReadingAndClassifyingEachRecordWouldTake) {
  const std::vector<std::string> pieces = {"",
                                           " ",
                                           "   ",
                                           "C",
                                           "c",
                                           "!",
                                           "x",
                                           "  Date (Day of year) Time",
                                           "  Date (Day of year) Tim",
                                           "\r",
                                           "\r ",
                                           "\rx",
                                           std::string(299, ' '),
                                           std::string(310, 'K'),
                                           "C  x",
                                           "\t"};
  std::mt19937 random(20261209);
  for (int trial = 0; trial < 2000; ++trial) {
    std::string records;
    const auto count = random() % 12;
    for (std::size_t n = 0; n < count; ++n) {
      records += pieces[random() % pieces.size()] + pieces[random() % pieces.size()] + "\n";
    }
    if (random() % 2 == 0) {
      records += pieces[random() % pieces.size()];  // a record not yet ended
    }
    const auto max_counted = static_cast<std::int64_t>(1 + random() % 8);

    core::RecordRun expected;
    for (std::size_t start = 0;;) {
      const std::size_t lf = records.find('\n', start);
      if (lf == std::string::npos) {
        break;
      }
      std::string_view data(records.data() + start, std::min<std::size_t>(lf - start, 300));
      data = data.substr(0, data.find('\r'));
      if (!core::IsIgnorableText(data)) {
        if (expected.counted + 1 >= max_counted) {
          break;
        }
        ++expected.counted;
      }
      expected.last = data;
      start = lf + 1;
      expected.size = start;
    }
    const core::RecordRun got = core::MeasureRecordRun(records, max_counted);
    EXPECT_EQ(got.size, expected.size) << "records '" << records << "', limit " << max_counted;
    EXPECT_EQ(got.counted, expected.counted) << "records '" << records << "'";
    EXPECT_EQ(got.last, expected.last) << "records '" << records << "'";
    // Taking every record without measuring finds the same end.
    const core::RecordRun whole = core::MeasureRecordRun(records, INT64_MAX);
    const core::RecordRun taken = core::MeasureUncountedRun(records);
    EXPECT_EQ(taken.size, whole.size) << "records '" << records << "'";
    EXPECT_EQ(taken.last, whole.last) << "records '" << records << "'";
  }
}

}  // namespace
}  // namespace vellum::testing
