// The bytes both units hold alike.
#include "io/common_records.h"

#include <algorithm>

#include "io/records.h"
#include "io/scan.h"

namespace vellum::io {

std::string_view HeldAlike(Io& io) {
  if (UnitOf(io, kUnit1).eof || UnitOf(io, kUnit2).eof) {
    return {};
  }
  const std::string_view first = HeldAhead(io, kUnit1);
  const std::string_view second = HeldAhead(io, kUnit2);
  return first.substr(
      0, scan::CommonPrefix(first.data(), second.data(), std::min(first.size(), second.size())));
}

}  // namespace vellum::io
