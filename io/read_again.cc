// Reading records again from the file.
#include "io/read_again.h"

#include <algorithm>
#include <cstring>

#include "io/records.h"

namespace vellum::io {

std::int64_t ReadRecordsAgain(Io& io, std::int32_t unit, std::int64_t offset, std::int64_t size,
                              std::size_t width, std::span<char> scratch, TakeData take,
                              void* context) {
  InputFile& file = *UnitOf(io, unit).file;
  // The data of a record longer than a block wait at the start of the
  // scratch while its end is sought; blocks are read into the rest.
  const std::span<char> long_data = scratch.first(width);
  const std::span<char> block = scratch.subspan(width);
  const std::int64_t end = offset + size;
  std::int64_t records = 0;
  // Reads the next block, at most up to `end`; empty when nothing is left
  // or the read fails.
  const auto next_block = [&]() -> std::string_view {
    const std::int64_t wanted = std::min(static_cast<std::int64_t>(block.size()), end - offset);
    const std::int64_t got = wanted > 0 ? file.ReadAt(offset, block.data(), wanted) : 0;
    return got > 0 ? std::string_view(block.data(), static_cast<std::size_t>(got))
                   : std::string_view();
  };
  while (offset < end) {
    const std::string_view bytes = next_block();
    if (bytes.empty()) {
      return records;
    }
    const WholeRecords taken = ScanWholeRecords(bytes, width, [&](std::string_view data) {
      take(context, data);
      ++records;
      return true;
    });
    if (taken.size > 0) {
      offset += static_cast<std::int64_t>(taken.size);
      continue;
    }
    // A record longer than the block, which holds more than its data.
    const std::size_t length = SplitRecord(bytes, bytes.find('\r'), width).data.size();
    std::memcpy(long_data.data(), bytes.data(), length);
    offset += static_cast<std::int64_t>(bytes.size());
    for (;;) {
      const std::string_view more = next_block();
      if (more.empty()) {
        return records;
      }
      const std::size_t lf = more.find('\n');
      if (lf != std::string_view::npos) {
        offset += static_cast<std::int64_t>(lf + 1);
        break;
      }
      offset += static_cast<std::int64_t>(more.size());
    }
    take(context, {long_data.data(), length});
    ++records;
  }
  return records;
}

}  // namespace vellum::io
