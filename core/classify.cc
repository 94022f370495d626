// CHECK and COMPAR.
#include "core/classify.h"

#include <algorithm>

#include "io/records.h"
#include "io/termination.h"

namespace vellum::core {
namespace {

bool AllBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

std::string_view View(const Line& line) { return {line.data(), line.size()}; }

bool WindowInLine(std::int32_t first, std::int32_t last) {
  return last <= kLineWidth && last >= first && first >= 1 && first <= kLineWidth;
}

}  // namespace

bool BlankPaddedEqual(std::string_view a, std::string_view b) {
  if (a.size() == b.size()) {
    return a == b;
  }
  const std::size_t common = std::min(a.size(), b.size());
  return a.substr(0, common) == b.substr(0, common) && AllBlank(a.substr(common)) &&
         AllBlank(b.substr(common));
}

std::size_t TrimmedLength(std::string_view text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? 0 : last + 1;
}

void CHECK(State& s, std::int32_t& result, std::int32_t unit) {
  // Nothing here can end the run, so no report can name this routine and
  // it keeps no frame.
  result = 0;
  // Past its filled length a line is blank, so only that much is examined.
  if (unit == kUnit1 &&
      IsIgnorableText(View(s.LINE1).substr(0, io::FilledLength(s.io, kUnit1, s.LINE1)))) {
    result = 1;
  }
  if (unit == kUnit2 &&
      IsIgnorableText(View(s.LINE2).substr(0, io::FilledLength(s.io, kUnit2, s.LINE2)))) {
    result = 1;
  }
}

void COMPAR(State& s) {
  std::int32_t ISKIP = 0;
  s.MATCH = 0;
  if (!WindowInLine(s.IFIRST2, s.ILAST2) || !WindowInLine(s.IFIRST1, s.ILAST1)) {
    // Only this failure can name the routine, so only it takes a frame.
    io::RoutineFrame frame(s.io, "COMPAR", 389);
    io::RAISE_FAILURE(s.io, {kFailureRange, io::Operation::kRangeCheck, "",
                             "compared window lies outside the line"});
  }
  const std::string_view window1 = View(s.LINE1).substr(
      static_cast<std::size_t>(s.IFIRST1 - 1), static_cast<std::size_t>(s.ILAST1 - s.IFIRST1 + 1));
  const std::string_view window2 = View(s.LINE2).substr(
      static_cast<std::size_t>(s.IFIRST2 - 1), static_cast<std::size_t>(s.ILAST2 - s.IFIRST2 + 1));
  if (BlankPaddedEqual(window1, window2)) {
    CHECK(s, ISKIP, kUnit1);
    if (ISKIP == 0) {
      s.MATCH = 1;
    }
  }
}

}  // namespace vellum::core
