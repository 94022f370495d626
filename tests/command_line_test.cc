// The splitting of Windows command lines, against a table of cases.
#include "io/platform/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellum::io {
namespace {

TEST(SplitCommandLine, FollowsThePlatformsStandardRules) {
  struct Row {
    const wchar_t* line;
    std::vector<std::wstring> args;
  };
  const std::vector<Row> rows = {
      {L"vellum a b", {L"vellum", L"a", L"b"}},
      {L"vellum  \t a\t\tb  ", {L"vellum", L"a", L"b"}},
      {L"\"C:\\Program Files\\vellum.exe\" a", {L"C:\\Program Files\\vellum.exe", L"a"}},
      {L"C:\\tools\\vellum.exe \"old file.f\" new.f",
       {L"C:\\tools\\vellum.exe", L"old file.f", L"new.f"}},
      {L"v \"\" b", {L"v", L"", L"b"}},
      {L"v a\"b c\"d", {L"v", L"ab cd"}},
      {L"v a\\\\\"b c\"", {L"v", L"a\\b c"}},  // 2n backslashes: n, quote opens
      {L"v a\\\\\\\"b", {L"v", L"a\\\"b"}},    // 2n+1: n and a literal quote
      {L"v a\\\"b", {L"v", L"a\"b"}},          // one backslash: a literal quote
      {L"v a\\b\\\\c", {L"v", L"a\\b\\\\c"}},  // backslashes before no quote
      {L"v \"a\"\"b\" c",
       {L"v", L"a\"b c"}},  // a doubled quote closes the part; the last opens one
      {L"v \"a\"\" b\"", {L"v", L"a\"", L"b"}},
      {L"v \"unterminated arg", {L"v", L"unterminated arg"}},
      {L"v \\\\server\\share\\f", {L"v", L"\\\\server\\share\\f"}},
      {L"\"quoted program\"a b", {L"quoted program", L"a", L"b"}},
      {L"", {L""}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(SplitCommandLine(row.line), row.args) << std::wstring(row.line).size();
  }
}

}  // namespace
}  // namespace vellum::io
