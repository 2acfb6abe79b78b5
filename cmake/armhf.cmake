# 32-bit ARM (hard-float) cross build with Debian's arm-linux-gnueabihf toolchain.
#
# The C library and the compiler's runtime live in /usr/arm-linux-gnueabihf (the cross
# packages). tinyxml2, GoogleTest and libevdev are Debian's armhf packages unpacked into a
# private root under the cache folder by tools/foreign-root.sh, never installed through the
# system's dpkg. Programs built here run on this machine under qemu-arm, which is how CTest
# runs the tests.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(TAVRION_ARMHF_TRIPLET arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${TAVRION_ARMHF_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TAVRION_ARMHF_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${TAVRION_ARMHF_TRIPLET})

# The private root, made (or found ready) once per configure; the environment carries it into
# CMake's own test projects, which read this file again.
if(NOT DEFINED ENV{TAVRION_ARMHF_ROOT})
  execute_process(
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/../tools/foreign-root.sh root armhf
    OUTPUT_VARIABLE _tavrion_armhf_root
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE _tavrion_armhf_result)
  if(NOT _tavrion_armhf_result EQUAL 0 OR NOT IS_DIRECTORY "${_tavrion_armhf_root}")
    message(FATAL_ERROR "the armhf libraries could not be fetched (tools/foreign-root.sh root armhf)")
  endif()
  set(ENV{TAVRION_ARMHF_ROOT} "${_tavrion_armhf_root}")
endif()
set(TAVRION_ARMHF_ROOT "$ENV{TAVRION_ARMHF_ROOT}")
set(TAVRION_ARMHF_LIBDIR ${TAVRION_ARMHF_ROOT}/usr/lib/${TAVRION_ARMHF_TRIPLET})

# Libraries, headers and CMake packages only from the target's places: the cross sysroot and the
# private root (searched as <root>/usr/lib/arm-linux-gnueabihf thanks to the library
# architecture above). Build tools are the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${TAVRION_ARMHF_TRIPLET} ${TAVRION_ARMHF_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config reports the root's libraries, with their paths inside it.
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${TAVRION_ARMHF_ROOT})
set(ENV{PKG_CONFIG_LIBDIR} ${TAVRION_ARMHF_LIBDIR}/pkgconfig:${TAVRION_ARMHF_ROOT}/usr/share/pkgconfig)
# The linker follows the root's libraries' own dependencies there.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,-rpath-link,${TAVRION_ARMHF_LIBDIR}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-Wl,-rpath-link,${TAVRION_ARMHF_LIBDIR}")

# Every target program (tests, test discovery, custom commands) runs under qemu-arm with the
# cross sysroot's loader, its C and C++ libraries first, then the root's.
find_program(TAVRION_QEMU_ARM qemu-arm REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${TAVRION_QEMU_ARM} -L /usr/${TAVRION_ARMHF_TRIPLET}
    -E LD_LIBRARY_PATH=/usr/${TAVRION_ARMHF_TRIPLET}/lib:${TAVRION_ARMHF_LIBDIR})

# List the tests when CTest runs rather than after every link: the build then needs no emulator,
# and a test binary that cannot start shows up as a failing test instead of a broken build.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
