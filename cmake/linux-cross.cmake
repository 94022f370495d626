# Cross-build for another Linux processor with Debian's cross compilers; the
# toolchain file of each processor names its triple and its qemu-user
# emulator, under which the tests run. GoogleTest is built from Debian's
# googletest sources for the target.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${VELLUM_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VELLUM_CROSS_TRIPLE}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${VELLUM_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The emulator finds the target's loader and libraries in the cross root.
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELLUM_CROSS_QEMU} -L /usr/${VELLUM_CROSS_TRIPLE})
