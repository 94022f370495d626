// The bytes both units hold alike.
#include "io/common_records.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "io/records.h"
#include "io/scan.h"

namespace vellum::io {
namespace {

// Puts `data` into `line` as a read would: the data, then blanks.
void FillLine(InputUnit& input, std::span<char> line, std::string_view data) {
  std::memcpy(line.data(), data.data(), data.size());
  std::memset(line.data() + data.size(), ' ', line.size() - data.size());
  input.last_line = line.data();
  input.last_length = data.size();
}

}  // namespace

std::string_view HeldAlike(Io& io) {
  if (UnitOf(io, kUnit1).eof || UnitOf(io, kUnit2).eof) {
    return {};
  }
  const std::string_view first = HeldAhead(io, kUnit1);
  const std::string_view second = HeldAhead(io, kUnit2);
  const char* a = first.data();
  const std::size_t size =
      scan::CommonPrefix(a, second.data(), std::min(first.size(), second.size()));
  if (const void* nul = std::memchr(a, '\0', size)) {
    return {a, static_cast<std::size_t>(static_cast<const char*>(nul) - a)};
  }
  return {a, size};
}

void PassHeldAlike(Io& io, std::size_t size, std::string_view last, std::span<char> line1,
                   std::span<char> line2) {
  InputUnit& first = UnitOf(io, kUnit1);
  InputUnit& second = UnitOf(io, kUnit2);
  first.pos += static_cast<std::int32_t>(size);
  second.pos += static_cast<std::int32_t>(size);
  FillLine(first, line1, last);
  FillLine(second, line2, last);
}

}  // namespace vellum::io
