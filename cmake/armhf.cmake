# 32-bit ARM (hard-float) cross build with Debian's arm-linux-gnueabihf toolchain.
#
# The C library and the compiler's runtime live in /usr/arm-linux-gnueabihf (the cross
# packages); tinyxml2 and GoogleTest come from Debian's multiarch packages (:armhf) in
# /usr/lib/arm-linux-gnueabihf, with their architecture-independent headers in /usr/include.
# Programs built here run on this machine under qemu-arm, which is how CTest runs the tests.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(TAVRION_ARMHF_TRIPLET arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${TAVRION_ARMHF_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TAVRION_ARMHF_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${TAVRION_ARMHF_TRIPLET})

# Libraries, headers and CMake packages only from the target's places: the cross sysroot and the
# multiarch folders under / (searched as <root>/usr/lib/arm-linux-gnueabihf thanks to the
# library architecture above). Build tools are the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${TAVRION_ARMHF_TRIPLET} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config (if anything uses it) must report the target's libraries too.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${TAVRION_ARMHF_TRIPLET}/pkgconfig:/usr/share/pkgconfig)

# Every target program (tests, test discovery, custom commands) runs under qemu-arm with the
# cross sysroot's loader. Its C and C++ libraries must come first: the loader finds the multiarch
# ones through the host's library cache otherwise, and a loader and libc from two different
# builds crash the first forked child. The multiarch folder then supplies tinyxml2.
find_program(TAVRION_QEMU_ARM qemu-arm REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${TAVRION_QEMU_ARM} -L /usr/${TAVRION_ARMHF_TRIPLET}
    -E LD_LIBRARY_PATH=/usr/${TAVRION_ARMHF_TRIPLET}/lib:/usr/lib/${TAVRION_ARMHF_TRIPLET})

# List the tests when CTest runs rather than after every link: the build then needs no emulator,
# and a test binary that cannot start shows up as a failing test instead of a broken build.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
