// Sizes, failure numbers and fixed texts of the console and file I/O layer,
// named once here.
#ifndef VELLUM_IO_IO_CONSTANTS_H_
#define VELLUM_IO_IO_CONSTANTS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vellum::io {

// Each input unit reads its file through one buffer of this many bytes.
inline constexpr std::int32_t kReadBufferSize = 64 * 1024;

// Standard output, unless it is a terminal, is written in blocks of this
// many bytes.
inline constexpr std::size_t kOutputBufferSize = std::size_t{64} * 1024;

// Units 1 and 2 are the only input units.
inline constexpr std::int32_t kUnitCount = 2;

// Name under which the console unit appears in failure reports.
inline constexpr std::string_view kConsoleName = "CON";

inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr std::string_view kStopMessage = "Stop - Program terminated.\r\n";
inline constexpr std::string_view kSourceUnit = "vellum";

// Failure numbers; every failure the system meets carries the letter F.
inline constexpr char kFailureLetter = 'F';
inline constexpr std::int32_t kFailureOpenOther = 6400;
inline constexpr std::int32_t kFailureRewindDevice = 6403;
inline constexpr std::int32_t kFailureOpenBadName = 6412;
inline constexpr std::int32_t kFailureOpenSameFile = 6413;
inline constexpr std::int32_t kFailureOpenAccess = 6414;
inline constexpr std::int32_t kFailureOpenNotFound = 6416;
inline constexpr std::int32_t kFailureOpenTooManyFiles = 6417;
inline constexpr std::int32_t kFailureWriteAccess = 6421;
inline constexpr std::int32_t kFailureWriteFull = 6422;
inline constexpr std::int32_t kFailureRead = 6500;
inline constexpr std::int32_t kFailureInputExhausted = 6501;
inline constexpr std::int32_t kFailureMemory = 6700;

}  // namespace vellum::io

#endif  // VELLUM_IO_IO_CONSTANTS_H_
