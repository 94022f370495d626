# Cross-build for i386, 32-bit, run under qemu-i386.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELLUM_CROSS_TRIPLE i686-linux-gnu)
set(VELLUM_CROSS_QEMU qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
