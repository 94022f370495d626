// Line classification and the match test.
//
// A line is ignorable when it is the date/time banner (its first 25 columns),
// all blank, or a lone comment marker "C", "c" or "!" in column 1. Two lines
// agree when their compared windows are equal under blank padding and the
// line of file1 is not ignorable; the line of file2 is never classified.
#ifndef VELLUM_CORE_CLASSIFY_H_
#define VELLUM_CORE_CLASSIFY_H_

#include <cstdint>
#include <string_view>

#include "core/state.h"
#include "io/scan.h"

namespace vellum::core {

// Sets `result` to 1 when the current line of the file on unit `unit` (1 or 2) is
// ignorable, else to 0; any other file number gives 0.
void CHECK(State& s, std::int32_t& result, std::int32_t unit);

// Sets MATCH for the current LINE1 and LINE2. A window outside the line ends
// the run with a range-check failure.
void COMPAR(State& s);

// Whether a line whose text is `text`, padded with blanks, is ignorable:
// the banner in its first 25 columns, all blank, or a lone marker. The one
// statement of the rule, for CHECK and for runs of records alike; inline,
// since a run asks it of every record.
inline bool IsIgnorableText(std::string_view text) {
  // Every ignorable line that is not empty begins with a blank or a marker,
  // which settles most lines at their first byte.
  if (text.empty()) {
    return true;
  }
  const char first = text.front();
  if (first != ' ' && first != 'C' && first != 'c' && first != '!') {
    return false;
  }
  // Past column 1 an ignorable line is all blank, or it is the banner, whose
  // first byte other than a blank after column 1 is at kBannerMark. So a
  // line of two or more bytes that ends in anything else is the banner or
  // nothing, which settles most of the rest at their last byte.
  constexpr std::size_t kBannerMark = kBanner.find_first_not_of(' ', 1);
  static_assert(kBanner.front() == ' ' && kBannerMark != std::string_view::npos);
  if (text.size() > 1 && text.back() != ' ') {
    return first == ' ' && text.size() >= kBanner.size() && text[kBannerMark] != ' ' &&
           text.starts_with(kBanner);
  }
  const char* mark = io::scan::SkipBlanks(text.data() + 1, text.data() + text.size());
  if (mark == text.data() + text.size()) {
    return true;
  }
  return first == ' ' && static_cast<std::size_t>(mark - text.data()) == kBannerMark &&
         text.starts_with(kBanner);
}

// Equality of two strings when the shorter is taken as padded with blanks.
bool BlankPaddedEqual(std::string_view a, std::string_view b);

// Length of `text` without its trailing blanks.
std::size_t TrimmedLength(std::string_view text);

}  // namespace vellum::core

#endif  // VELLUM_CORE_CLASSIFY_H_
