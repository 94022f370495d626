// Fuzzes the record layer: the input's first bytes choose the read block
// and a sequence of reads and moves back, the rest is the file. Every record
// read must equal the simple whole-file model's, and every wide byte scan
// must find in the file what its portable version finds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "io/io.h"
#include "io/open.h"
#include "io/records.h"
#include "io/scan.h"
#include "tests/memory_platform.h"
#include "tests/record_model.h"

namespace {

constexpr std::size_t kWidth = 300;
constexpr std::size_t kHeader = 10;

// Every wide scan must find what its portable version finds in `bytes`.
void CheckScans(const std::string& bytes) {
#if defined(__SSE2__)
  namespace scan = vellum::io::scan;
  const char* begin = bytes.data();
  const std::size_t size = bytes.size();
  std::int64_t wide_left = 3;
  std::int64_t portable_left = 3;
  if (scan::wide::FindLineEnd(begin, size) != scan::portable::FindLineEnd(begin, size) ||
      scan::wide::FindNthLastLf(begin, begin + size, &wide_left) !=
          scan::portable::FindNthLastLf(begin, begin + size, &portable_left) ||
      wide_left != portable_left ||
      scan::wide::CountLf(begin, size) != scan::portable::CountLf(begin, size) ||
      scan::wide::CommonPrefix(begin, begin + size / 2, size / 2) !=
          scan::portable::CommonPrefix(begin, begin + size / 2, size / 2)) {
    std::abort();
  }
  for (std::size_t at = 0; at + scan::kMaskBytes <= size; at += 7) {
    std::string wide(scan::kMaskBytes, 'w');
    std::string portable(scan::kMaskBytes, 'p');
    scan::wide::CopyPadded(wide.data(), begin + at, at % (scan::kMaskBytes + 1));
    scan::portable::CopyPadded(portable.data(), begin + at, at % (scan::kMaskBytes + 1));
    if (scan::wide::LineEndMask(begin + at) != scan::portable::LineEndMask(begin + at) ||
        wide != portable) {
      std::abort();
    }
  }
#else
  (void)bytes;
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeader) {
    return 0;
  }
  // Two bytes for the block size, 1 to 400 bytes, so that blocks straddle
  // the quick read's 64 bytes and a record's 301 and records start at every
  // offset of a block; eight for 64 operations (1 bit each).
  const std::int32_t block = 1 + ((data[0] << 8) | data[1]) % 400;
  std::uint64_t operations = 0;
  for (std::size_t i = 2; i < kHeader; ++i) {
    operations = (operations << 8) | data[i];
  }
  const std::string bytes(reinterpret_cast<const char*>(data + kHeader), size - kHeader);
  CheckScans(bytes);

  vellum::testing::MemoryPlatform platform;
  platform.AddFile("f", bytes);
  vellum::io::Io io(platform, {"vellum", "f"}, block);
  vellum::io::OPEN_INPUT(io, 1);
  vellum::io::REWIND_INPUT(io, 1);
  vellum::testing::RecordModel model(bytes, kWidth);
  std::string line(kWidth, '#');
  for (int step = 0; step < 64; ++step) {
    if ((operations >> step) & 1) {
      // A run of moves back is made in one call when it is longer than one.
      int count = 1;
      while (step + 1 < 64 && ((operations >> (step + 1)) & 1)) {
        ++count;
        ++step;
      }
      if (count == 1) {
        vellum::io::BACKSPACE_INPUT(io, 1);
      } else {
        vellum::io::BackspaceRecords(io, 1, count);
      }
      for (int n = 0; n < count; ++n) {
        model.Back();
      }
      continue;
    }
    const bool got = vellum::io::READ_RECORD(io, 1, {line.data(), line.size()});
    const std::string expected = model.Read();
    if (got ? line != expected : expected != "EOF") {
      std::abort();
    }
  }
  return 0;
}
