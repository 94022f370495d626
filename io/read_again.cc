// Reading records again from the file.
#include "io/read_again.h"

#include <algorithm>
#include <string>

#include "io/records.h"

namespace vellum::io {

std::int64_t ReadRecordsAgain(Io& io, std::int32_t unit, std::int64_t offset, std::int64_t size,
                              std::size_t width, TakeData take, void* context) {
  InputUnit& input = UnitOf(io, unit);
  ByteBuffer block(std::max(input.buffer.Size(), width + 1));
  const std::int64_t end = offset + size;
  std::int64_t records = 0;
  // Reads the next block, at most up to `end`; empty when nothing is left
  // or the read fails.
  const auto next_block = [&]() -> std::string_view {
    const std::int64_t wanted = std::min(static_cast<std::int64_t>(block.Size()), end - offset);
    const std::int64_t got = wanted > 0 ? input.file->ReadAt(offset, block.Data(), wanted) : 0;
    return got > 0 ? std::string_view(block.Data(), static_cast<std::size_t>(got))
                   : std::string_view();
  };
  while (offset < end) {
    const std::string_view bytes = next_block();
    if (bytes.empty()) {
      return records;
    }
    const TakenRecords taken = TakeWholeRecords(bytes, width, [&](std::string_view data) {
      take(context, data);
      ++records;
      return true;
    });
    if (taken.size > 0) {
      offset += static_cast<std::int64_t>(taken.size);
      continue;
    }
    // A record longer than the block: its data are in the block's first
    // bytes, and it ends at the next LF.
    const std::string data(bytes.substr(0, std::min(bytes.find('\r'), width)));
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
    take(context, data);
    ++records;
  }
  return records;
}

}  // namespace vellum::io
