// The run of records both units hold alike.
#include "io/common_records.h"

#include <algorithm>
#include <cstring>

namespace vellum::io {
namespace {

constexpr std::size_t kCompareChunk = 256;

// Length of the common prefix of a and b, both `size` bytes long.
std::size_t CommonPrefix(const char* a, const char* b, std::size_t size) {
  std::size_t same = 0;
  while (same + kCompareChunk <= size && std::memcmp(a + same, b + same, kCompareChunk) == 0) {
    same += kCompareChunk;
  }
  while (same < size && a[same] == b[same]) {
    ++same;
  }
  return same;
}

// Puts `data` into `line` as a read would: the data, then blanks.
void FillLine(Unit& input, std::span<char> line, std::string_view data) {
  std::memcpy(line.data(), data.data(), data.size());
  std::memset(line.data() + data.size(), ' ', line.size() - data.size());
  input.last_line = line.data();
  input.last_length = data.size();
}

}  // namespace

std::int64_t SkipCommonRecords(Io& io, std::int64_t max_counted, RecordCounts counts,
                               std::span<char> line1, std::span<char> line2) {
  Unit& first = UnitOf(io, kUnit1);
  Unit& second = UnitOf(io, kUnit2);
  if (first.eof || second.eof || max_counted <= 0) {
    return 0;
  }
  const char* a = first.buffer.Data() + first.pos;
  const char* b = second.buffer.Data() + second.pos;
  std::size_t size = std::min(static_cast<std::size_t>(first.fill - first.pos),
                              static_cast<std::size_t>(second.fill - second.pos));
  size = CommonPrefix(a, b, size);
  // A line holding a NUL is reported when read, so the run ends before it.
  if (const void* nul = std::memchr(a, '\0', size)) {
    size = static_cast<std::size_t>(static_cast<const char*>(nul) - a);
  }
  const std::size_t width = std::min(line1.size(), line2.size());
  std::int64_t counted = 0;
  std::size_t done = 0;  // bytes of whole records passed over
  std::string_view last;
  while (done < size) {
    const char* start = a + done;
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', size - done));
    if (lf == nullptr) {
      break;
    }
    std::string_view data(start, std::min(static_cast<std::size_t>(lf - start), width));
    data = data.substr(0, data.find('\r'));
    if (counts(data)) {
      if (counted + 1 >= max_counted) {
        break;
      }
      ++counted;
    }
    last = data;
    done = static_cast<std::size_t>(lf - a) + 1;
  }
  if (done > 0) {
    first.pos += static_cast<std::int32_t>(done);
    second.pos += static_cast<std::int32_t>(done);
    FillLine(first, line1, last);
    FillLine(second, line2, last);
  }
  return counted;
}

}  // namespace vellum::io
