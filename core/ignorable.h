// The one statement of the ignorable-line rule, for CHECK and for runs of
// records alike: a line is ignorable when it is the date/time banner (its
// first 25 columns), all blank, or a lone comment marker "C", "c" or "!" in
// column 1. It needs no comparison state.
#ifndef VELLUM_CORE_IGNORABLE_H_
#define VELLUM_CORE_IGNORABLE_H_

#include <cstddef>
#include <string_view>

#include "core/core_constants.h"
#include "io/scan.h"

namespace vellum::core {

// Whether a line whose text is `text`, padded with blanks, is ignorable.
// Inline, since a run of records asks it of every record.
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

}  // namespace vellum::core

#endif  // VELLUM_CORE_IGNORABLE_H_
