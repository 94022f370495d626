// The point of no return: once both inputs are open, the process gives up
// every right the rest of a run does not need. On Linux on x86-64 it sets
// no-new-privileges, adds a Landlock ruleset that grants no file-system
// access where the kernel has Landlock, and installs a seccomp filter that
// allows only reading, seeking and sizing the two inputs by their
// descriptors, writing standard output and error, memory that maps no file
// and never executes, the signals an abort needs, closing and exiting.
// Every other call fails with EPERM, so a forgotten one becomes a report,
// never a silent death; so does any use of a descriptor the process
// inherited, and any look-up of a path. Elsewhere, and in sanitizer
// builds, it does nothing.
#ifndef VELLUM_IO_PLATFORM_SANDBOX_H_
#define VELLUM_IO_PLATFORM_SANDBOX_H_

#include <array>

namespace vellum::io {

// Whether this build confines the process at all.
bool ConfinesInThisBuild();

// What took hold: the Landlock ruleset and the seccomp filter.
struct Confinement {
  bool file_system = false;
  bool filter = false;
};

// Confines the process as above; `inputs` are the descriptors of the two
// inputs, -1 for one that has none. Where the system refuses a step (an
// old kernel, an emulator, a container that forbids it) the run goes on
// exactly as before without it.
Confinement ConfineToOpenFiles(std::array<int, 2> inputs);

// The Landlock step alone: takes every file-system right the kernel knows
// of, granting none back. Returns false where the kernel has no Landlock.
bool DenyFileSystem();

}  // namespace vellum::io

#endif  // VELLUM_IO_PLATFORM_SANDBOX_H_
