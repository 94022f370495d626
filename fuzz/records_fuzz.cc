// Fuzzes the record layer: the input's first bytes choose the read block
// and a sequence of reads and moves back, the rest is the file. Every record
// read must equal the simple whole-file model's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "io/io.h"
#include "io/open.h"
#include "io/records.h"
#include "tests/memory_platform.h"
#include "tests/record_model.h"

namespace {

constexpr std::size_t kWidth = 300;
constexpr std::size_t kHeader = 9;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeader) {
    return 0;
  }
  // One byte for the block size, eight for 64 operations (1 bit each).
  const std::int32_t block = 1 + data[0] % 64;
  std::uint64_t operations = 0;
  for (std::size_t i = 1; i < kHeader; ++i) {
    operations = (operations << 8) | data[i];
  }
  const std::string bytes(reinterpret_cast<const char*>(data + kHeader), size - kHeader);

  vellum::testing::MemoryPlatform platform;
  platform.AddFile("f", bytes);
  vellum::io::Io io(platform, {"vellum", "f"}, block);
  vellum::io::OPEN_INPUT(io, 1);
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
