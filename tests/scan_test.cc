// The byte scans: each wide scan against its portable version, and the
// word-at-a-time blank skip against a byte loop, on random bytes rich in
// line ends, blanks and NULs, at every alignment.
#include "io/scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <string>

namespace vellum::io::scan {
namespace {

std::string RandomBytes(std::mt19937& random, std::size_t size) {
  static constexpr char kAlphabet[] = {'\n', '\r', ' ', ' ', ' ', '\0', 'a', 'C', '\xff'};
  std::string bytes(size, ' ');
  for (char& byte : bytes) {
    byte = kAlphabet[random() % sizeof(kAlphabet)];
  }
  return bytes;
}

TEST(Scan, BlankSkipTakesEveryBlankAndNothingElse) {
  std::mt19937 random(17);
  for (int trial = 0; trial < 20000; ++trial) {
    const std::string bytes = RandomBytes(random, 80);
    const std::size_t from = random() % 16;
    const std::size_t to = from + random() % (bytes.size() - from + 1);
    const char* expected = bytes.data() + from;
    while (expected < bytes.data() + to && *expected == ' ') {
      ++expected;
    }
    EXPECT_EQ(SkipBlanks(bytes.data() + from, bytes.data() + to), expected);
  }
}

#if defined(__SSE2__)
TEST(Scan, WideScansFindWhatPortableOnesFind) {
  std::mt19937 random(5);
  for (int trial = 0; trial < 20000; ++trial) {
    // Room for a mask past any offset, and a copy that differs from some
    // byte on.
    const std::string bytes = RandomBytes(random, 300);
    std::string other = bytes;
    const std::size_t differs = random() % other.size();
    other[differs] =
        static_cast<char>(static_cast<unsigned char>(other[differs]) ^ (1U + random() % 255U));
    const std::size_t at = random() % 32;
    const std::size_t size = random() % (bytes.size() - kMaskBytes - at);
    const char* begin = bytes.data() + at;
    const std::string where = "trial " + std::to_string(trial);

    EXPECT_EQ(wide::FindLineEnd(begin, size), portable::FindLineEnd(begin, size)) << where;
    EXPECT_EQ(wide::FindNul(begin, size), portable::FindNul(begin, size)) << where;
    const auto wanted = static_cast<std::int64_t>(1 + random() % 6);
    std::int64_t left_wide = wanted;
    std::int64_t left_portable = wanted;
    EXPECT_EQ(wide::FindNthLastLf(begin, begin + size, &left_wide),
              portable::FindNthLastLf(begin, begin + size, &left_portable))
        << where;
    EXPECT_EQ(left_wide, left_portable) << where;
    EXPECT_EQ(wide::LineEndMask(begin), portable::LineEndMask(begin)) << where;
    const std::size_t count = random() % (kMaskBytes + 1);
    std::string padded_wide(kMaskBytes, 'x');
    std::string padded_portable(kMaskBytes, 'y');
    wide::CopyPadded(padded_wide.data(), begin, count);
    portable::CopyPadded(padded_portable.data(), begin, count);
    EXPECT_EQ(padded_wide, padded_portable) << where;
    EXPECT_EQ(wide::CommonPrefix(begin, other.data() + at, size),
              portable::CommonPrefix(begin, other.data() + at, size))
        << where;
    EXPECT_EQ(wide::CountLf(begin, size), portable::CountLf(begin, size)) << where;
  }
  // Common prefixes that run past the chunks compared at once, or end in
  // one.
  const std::string long_bytes = RandomBytes(random, 3 * 4096 + 100);
  for (const std::size_t differs : std::initializer_list<std::size_t>{
           0, 255, 256, 511, 512, 513, 4095, 4096, 4097, 4607, 4608, 12387}) {
    std::string changed = long_bytes;
    changed[differs] = static_cast<char>(changed[differs] ^ 1);
    EXPECT_EQ(wide::CommonPrefix(long_bytes.data(), changed.data(), long_bytes.size()), differs);
  }
  EXPECT_EQ(wide::CommonPrefix(long_bytes.data(), long_bytes.data(), long_bytes.size()),
            long_bytes.size());
  // Enough LFs for every lane of the count to pass 255.
  const std::string line_ends(16 * 300 + 5, '\n');
  EXPECT_EQ(wide::CountLf(line_ends.data(), line_ends.size()), std::ssize(line_ends));
  // Moving back over many records at once: stretches counted whole, the
  // LF wanted at or just past a stretch's edge, or not there at all.
  std::string records = RandomBytes(random, 3000);
  for (std::size_t at = 0; at < records.size(); at += 1 + random() % 40) {
    records[at] = '\n';
  }
  const auto lfs = std::ranges::count(records, '\n');
  for (std::int64_t wanted = 1; wanted <= lfs + 1; ++wanted) {
    std::int64_t left_wide = wanted;
    std::int64_t left_portable = wanted;
    const char* end = records.data() + records.size() - wanted % 7;
    EXPECT_EQ(wide::FindNthLastLf(records.data(), end, &left_wide),
              portable::FindNthLastLf(records.data(), end, &left_portable))
        << wanted;
    EXPECT_EQ(left_wide, left_portable) << wanted;
  }
}
#endif

}  // namespace
}  // namespace vellum::io::scan
