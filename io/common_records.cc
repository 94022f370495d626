// The bytes both units hold alike.
#include "io/common_records.h"

#include <algorithm>

#include "io/scan.h"

namespace vellum::io {

std::string_view HeldAlike(const InputUnit& first, const InputUnit& second) {
  const std::string_view ahead1 = HeldAhead(first);
  const std::string_view ahead2 = HeldAhead(second);
  return ahead1.substr(
      0, scan::CommonPrefix(ahead1.data(), ahead2.data(), MostHeldAlike(first, second)));
}

}  // namespace vellum::io
