// Splitting a Windows command line into arguments by the platform's
// standard rules: argument 0 runs to the next double quote if it begins with
// one, else to the first blank or tab; outside double quotes, blanks and
// tabs separate arguments; 2n backslashes before a double quote give n
// backslashes and the quote opens or closes a quoted part without being
// copied, while inside a quoted part a doubled double quote gives one double
// quote and closes the part; 2n+1 backslashes before a double quote give n
// backslashes and a literal double quote; other backslashes are literal.
#ifndef VELLUM_IO_PLATFORM_COMMAND_LINE_H_
#define VELLUM_IO_PLATFORM_COMMAND_LINE_H_

#include <string>
#include <string_view>
#include <vector>

namespace vellum::io {

std::vector<std::wstring> SplitCommandLine(std::wstring_view line);

}  // namespace vellum::io

#endif  // VELLUM_IO_PLATFORM_COMMAND_LINE_H_
