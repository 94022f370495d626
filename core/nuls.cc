// NULLS and NULBOX.
#include "core/nuls.h"

#include <span>
#include <string_view>

#include "core/classify.h"
#include "io/console.h"
#include "io/records.h"
#include "io/scan.h"

namespace vellum::core {
namespace {

// Frame bytes of code page 437: corners, double bar and double wall.
constexpr std::string_view kBoxTop =
    "\xC9\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD"
    "\xCD\xBB";
constexpr std::string_view kBoxEmpty = "\xBA                       \xBA";
constexpr std::string_view kBoxFile1 = "\xBA NUL's found in file1  \xBA";
constexpr std::string_view kBoxFile2 = "\xBA NUL's found in file2  \xBA";
constexpr std::string_view kBoxBottom =
    "\xC8\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD"
    "\xCD\xBC";
// Nine blanks: the control character and the eight blanks before the frame.
constexpr std::string_view kBoxIndent = "         ";

// The bytes of the line of `unit` that can be other than blank.
std::span<char> FilledPart(State& s, std::int32_t unit) {
  Line& line = LineOf(s, unit);
  return std::span<char>(line).first(io::FilledLength(s.io, unit, line));
}

bool HoldsNul(State& s, std::int32_t unit) {
  const std::span<char> filled = FilledPart(s, unit);
  return io::scan::FindNul(filled.data(), filled.size()) != nullptr;
}

void ScanLine(State& s, io::RoutineFrame& frame, std::int32_t unit, std::int32_t& flag,
              std::int32_t statement_base) {
  const Line& line = LineOf(s, unit);
  const std::span<char> filled = FilledPart(s, unit);
  for (const char* nul = io::scan::FindNul(filled.data(), filled.size()); nul != nullptr;) {
    const auto at = static_cast<std::size_t>(nul - filled.data());
    const std::string_view text(line.data(), TrimmedLength({line.data(), line.size()}));
    frame.At(statement_base + 2);
    io::WriteRecord(s.io, {" |", text, "|"});
    frame.At(statement_base + 3);
    filled[at] = ' ';
    frame.At(statement_base + 4);
    flag = 1;
    nul = io::scan::FindNul(filled.data() + at + 1, filled.size() - at - 1);
  }
}

void WriteBox(State& s, io::RoutineFrame& main, std::int32_t first_write, std::string_view title) {
  main.At(first_write);
  io::WriteRecord(s.io, {});
  io::WriteRecord(s.io, {});
  io::WriteRecord(s.io, {kBoxIndent, kBoxTop});
  main.At(first_write + 1);
  io::WriteRecord(s.io, {kBoxIndent, kBoxEmpty});
  main.At(first_write + 2);
  io::WriteRecord(s.io, {kBoxIndent, title});
  main.At(first_write + 3);
  io::WriteRecord(s.io, {kBoxIndent, kBoxEmpty});
  main.At(first_write + 4);
  io::WriteRecord(s.io, {kBoxIndent, kBoxBottom});
  io::WriteRecord(s.io, {});
  io::WriteRecord(s.io, {});
}

}  // namespace

void NULLS(State& s, std::int32_t unit, std::int32_t& NUL1, std::int32_t& NUL2) {
  // A line without a NUL is left as it is: nothing is written and nothing
  // can fail, so no report can name this routine and it needs no frame.
  if ((unit == kUnit1 || unit == kUnit2) && !HoldsNul(s, unit)) {
    return;
  }
  io::RoutineFrame frame(s.io, "NULLS", 302);
  frame.At(310);
  if (unit == kUnit1) {
    frame.At(311);
    ScanLine(s, frame, kUnit1, NUL1, 311);
    frame.At(318);
  }
  frame.At(320);
  if (unit == kUnit2) {
    frame.At(321);
    ScanLine(s, frame, kUnit2, NUL2, 321);
  }
  frame.At(328);
}

void NULBOX(State& s, io::RoutineFrame& main, std::int32_t first_statement, std::int32_t NUL1,
            std::int32_t NUL2) {
  main.At(first_statement);
  if (NUL1 == 1) {
    WriteBox(s, main, first_statement + 1, kBoxFile1);
  }
  main.At(first_statement + 7);
  if (NUL2 == 1) {
    WriteBox(s, main, first_statement + 8, kBoxFile2);
  }
}

}  // namespace vellum::core
