// The bytes both units hold alike.
#include "io/common_records.h"

#include <algorithm>

#include "io/read_block.h"
#include "io/scan.h"

namespace vellum::io {

std::string_view CommonAhead(const InputUnit& first, const InputUnit& second) {
  const std::string_view ahead1 = BlockAhead(first);
  const std::string_view ahead2 = BlockAhead(second);
  return ahead1.substr(
      0, scan::CommonPrefix(ahead1.data(), ahead2.data(), CommonAheadLimit(first, second)));
}

void ReadOnAheadOfBoth(Io& io) {
  for (InputUnit& input : io.units) {
    if (!input.eof && CanReadOnAhead(input)) {
      ReadOnAhead(input);
    }
  }
}

}  // namespace vellum::io
