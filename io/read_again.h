// Reading records already passed once more, straight from the file, to
// learn what they held without having kept them. The unit reading the file
// is left as it was.
#ifndef VELLUM_IO_READ_AGAIN_H_
#define VELLUM_IO_READ_AGAIN_H_

#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

#include "io/io.h"

namespace vellum::io {

// Takes one record's data.
using TakeData = void (*)(void* context, std::string_view data);

// Reads the whole records of the file on unit `unit` in [offset, offset +
// size) again and gives each one's data to take(context, data) as
// READ_RECORD gives them to a line of `width` bytes: up to the first CR or
// LF, at most `width` bytes. `scratch`, of more than twice `width` bytes,
// holds what is read. Returns how many records it gave, fewer than the
// stretch holds when a read fails or the file has become shorter.
std::int64_t ReadRecordsAgain(Io& io, std::int32_t unit, std::int64_t offset, std::int64_t size,
                              std::size_t width, std::span<char> scratch, TakeData take,
                              void* context);

template <typename Take>
std::int64_t ReadRecordsAgain(Io& io, std::int32_t unit, std::int64_t offset, std::int64_t size,
                              std::size_t width, std::span<char> scratch, Take&& take) {
  return ReadRecordsAgain(
      io, unit, offset, size, width, scratch,
      [](void* context, std::string_view data) {
        (*static_cast<std::remove_reference_t<Take>*>(context))(data);
      },
      &take);
}

}  // namespace vellum::io

#endif  // VELLUM_IO_READ_AGAIN_H_
