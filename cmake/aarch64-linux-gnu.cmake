# Cross-build for arm64, little-endian and 64-bit, run under qemu-aarch64.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VELLUM_CROSS_TRIPLE aarch64-linux-gnu)
set(VELLUM_CROSS_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
