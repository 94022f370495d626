// Reserved device words. A name whose base (the part before its last '.')
// has 3 or 4 characters and equals a device word, in any case, denotes that
// device and not a disk file; the extension is dropped. A name with a
// non-empty extension whose first character is E, L or U (either case) is an
// ordinary file name all the same, so err.log and lpt1.txt are files while
// con.txt and nul.x are devices. USER is the console, CON.
#ifndef VELLUM_IO_DEVICES_H_
#define VELLUM_IO_DEVICES_H_

#include <optional>
#include <string>
#include <string_view>

namespace vellum::io {

// The device name that `name` denotes (USER as CON, the extension dropped,
// the case as given), or nothing for an ordinary file name.
std::optional<std::string> DeviceName(std::string_view name);

// What a device name is opened as: PRN, COM1 to COM4, LPT1 to LPT4 and NUL
// as themselves, AUX and LINE as COM1; nothing for CON and ERR, which are
// the console's own streams.
std::string DeviceOpenName(std::string_view device);

// Whether two device names denote the same device. The null device can be
// named for both files.
bool SameDevice(std::string_view a, std::string_view b);

}  // namespace vellum::io

#endif  // VELLUM_IO_DEVICES_H_
