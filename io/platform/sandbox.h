// The point of no return: once both inputs are open, the process gives up
// every right the rest of a run does not need. On Linux on x86-64 it sets
// no-new-privileges, adds a Landlock ruleset that grants no file-system
// access where the kernel has Landlock, and installs a seccomp filter that
// allows only reading and seeking open files, writing, memory without
// execution, the signals an abort needs, closing and exiting; every other
// system call fails with EPERM, so a forgotten one becomes a report, never
// a silent death. Elsewhere, and in sanitizer builds, it does nothing.
#ifndef VELLUM_IO_PLATFORM_SANDBOX_H_
#define VELLUM_IO_PLATFORM_SANDBOX_H_

namespace vellum::io {

// Whether this build confines the process at all.
bool ConfinesInThisBuild();

// Confines the process as above. Returns whether the filter is installed;
// where the system refuses it (an old kernel, an emulator, a container that
// forbids it) the run goes on exactly as before.
bool ConfineToOpenFiles();

}  // namespace vellum::io

#endif  // VELLUM_IO_PLATFORM_SANDBOX_H_
