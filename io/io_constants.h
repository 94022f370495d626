// Sizes, failure numbers and fixed texts of the console and file I/O layer,
// named once here.
#ifndef VELLUM_IO_IO_CONSTANTS_H_
#define VELLUM_IO_IO_CONSTANTS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vellum::io {

// Each input unit reads its file this many bytes at a time. Files are read,
// never mapped into memory: reading costs about the same on every host,
// where mapping cost up to four times as much on some, and a mapped file
// that shrinks reads as zeros past its end with no fault at all. Blocks of
// 128 KiB passed two identical 1 GB files in 14 % less time than blocks of
// 64 KiB, and no workload took longer.
inline constexpr std::int32_t kReadBufferSize = 128 * 1024;

// A unit recalls where its last this many records begin, enough for the
// listing's and the search's usual moves back; longer moves look for the
// line ends. A power of two.
inline constexpr std::uint32_t kRecalledRecords = 8;

// Bytes both units hold alike are compared and measured this many at a
// time, so that they are still in the processor's cache when measured.
inline constexpr std::size_t kAlikeAtOnce = std::size_t{64} * 1024;

// Standard output, unless it is a terminal, is written in blocks of this
// many bytes.
inline constexpr std::size_t kOutputBufferSize = std::size_t{64} * 1024;

// The output buffer is written out early once the bytes it holds were made
// at kOutputNotes places (routine and statement), each of which a failed
// write may have to name, or by kOutputTraces calls of routines. A buffer
// full of the listing's records was made at fewer places and by fewer
// calls (one a block listed), so the listing goes out in whole blocks.
inline constexpr std::size_t kOutputNotes = 2048;
inline constexpr std::size_t kOutputTraces = 512;

// A name counted in the platform's units takes at most this many bytes in
// UTF-8.
inline constexpr std::size_t kUtf8BytesPerUnit = 3;

// The input units: unit 1 reads file1, unit 2 file2.
inline constexpr std::int32_t kUnit1 = 1;
inline constexpr std::int32_t kUnit2 = 2;
inline constexpr std::int32_t kUnitCount = 2;

// Name under which the console unit appears in failure reports.
inline constexpr std::string_view kConsoleName = "CON";

inline constexpr std::string_view kLineEnd = "\r\n";
// The name prompt, before the unit's number and "? ".
inline constexpr std::string_view kPrompt =
    "File name missing or blank - please enter file name\r\nUNIT ";
inline constexpr std::string_view kStopMessage = "Stop - Program terminated.\r\n";
inline constexpr std::string_view kSourceUnit = "vellum";

// Written to standard error, alone, when the run cannot get the memory it
// needs to start.
inline constexpr std::string_view kStartupMemoryMessage =
    "\r\nruntime error R6016\r\n- not enough space\r\n";
// The message of the report when memory runs out once something was
// written (F6700).
inline constexpr std::string_view kMemoryMessage = "not enough memory to go on with the comparison";

// The category text of each kind of statement in a failure report; all but
// the last two are followed by a file name.
inline constexpr std::string_view kCategoryWrite = ": WRITE(";
inline constexpr std::string_view kCategoryOpen = ": OPEN(";
inline constexpr std::string_view kCategoryRead = ": READ(";
inline constexpr std::string_view kCategoryRewind = ": REWIND(";
inline constexpr std::string_view kCategoryBackspace = ": BACKSPACE(";
inline constexpr std::string_view kCategoryRangeCheck = ": $DEBUG\r\n- ";
inline constexpr std::string_view kCategoryMemory = "\r\n- ";

// The message of a name longer than the platform takes, from any source.
inline constexpr std::string_view kNameTooLongMessage =
    "the file name is longer than this system accepts";

// Failure numbers; every failure the system meets carries the letter F.
inline constexpr char kFailureLetter = 'F';
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
