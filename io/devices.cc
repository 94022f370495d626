// Recognition of the reserved device words.
#include "io/devices.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vellum::io {
namespace {

constexpr std::array<std::string_view, 15> kDeviceWords = {"CON",  "USER", "PRN",  "COM1", "COM2",
                                                           "COM3", "COM4", "LPT1", "LPT2", "LPT3",
                                                           "LPT4", "NUL",  "AUX",  "ERR",  "LINE"};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::optional<std::string> DeviceName(std::string_view name) {
  if (EqualsIgnoringCase(name, "USER")) {
    return std::string("CON");
  }
  const std::size_t dot = name.rfind('.');
  const std::string_view base = name.substr(0, dot);
  const std::string_view extension =
      dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (base.size() != 3 && base.size() != 4) {
    return std::nullopt;
  }
  const bool is_word =
      std::any_of(kDeviceWords.begin(), kDeviceWords.end(),
                  [&](std::string_view word) { return EqualsIgnoringCase(base, word); });
  if (!is_word) {
    return std::nullopt;
  }
  const char first = static_cast<char>(std::toupper(static_cast<unsigned char>(name.front())));
  if (!extension.empty() && (first == 'E' || first == 'L' || first == 'U')) {
    return std::nullopt;
  }
  return std::string(base);
}

std::string DeviceOpenName(std::string_view device) {
  if (EqualsIgnoringCase(device, "CON") || EqualsIgnoringCase(device, "ERR")) {
    return {};
  }
  if (EqualsIgnoringCase(device, "AUX") || EqualsIgnoringCase(device, "LINE")) {
    return "COM1";
  }
  std::string name(device);
  for (char& c : name) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return name;
}

bool SameDevice(std::string_view a, std::string_view b) {
  return EqualsIgnoringCase(a, b) && !EqualsIgnoringCase(a, "NUL");
}

}  // namespace vellum::io
