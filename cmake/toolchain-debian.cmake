# SPDX-License-Identifier: MIT
# Cross build to another Debian architecture on a Debian machine, against
# that architecture's libraries installed beside the machine's own
# (multiarch; scripts/install-deps cross-ARCH). The architecture is Debian's
# name (arm64, armel, armhf, i386, ppc64el, riscv64, s390x), in the cache
# variable TUBEFLIGHT_CROSS_ARCH, which the preset takes from the
# environment:
#   TUBEFLIGHT_CROSS_ARCH=armhf cmake --preset cross
# The GNU type, the multiarch folder and the CPU come from dpkg-architecture.
# Test programs, those that gtest_discover_tests runs at build time
# included, run under qemu-user; the dynamic loader and libraries of the
# architecture are found in their multiarch places under /.

set(TUBEFLIGHT_CROSS_ARCH "${TUBEFLIGHT_CROSS_ARCH}" CACHE STRING "Debian architecture to cross-build for")
if(NOT TUBEFLIGHT_CROSS_ARCH)
  message(FATAL_ERROR "set TUBEFLIGHT_CROSS_ARCH to a Debian architecture (arm64, armhf, i386, ...)")
endif()
# try_compile's projects read this file again and need the architecture too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TUBEFLIGHT_CROSS_ARCH)

foreach(variable GNU_TYPE MULTIARCH GNU_CPU)
  execute_process(COMMAND env LC_ALL=C dpkg-architecture -a${TUBEFLIGHT_CROSS_ARCH} -qDEB_HOST_${variable}
                  OUTPUT_VARIABLE deb_${variable} OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
                  RESULT_VARIABLE failed)
  if(failed OR NOT deb_${variable})
    message(FATAL_ERROR "dpkg-architecture does not know ${TUBEFLIGHT_CROSS_ARCH} (it comes with dpkg-dev)")
  endif()
endforeach()

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${deb_GNU_CPU})
set(CMAKE_LIBRARY_ARCHITECTURE ${deb_MULTIARCH})

set(CMAKE_C_COMPILER ${deb_GNU_TYPE}-gcc)
set(CMAKE_CXX_COMPILER ${deb_GNU_TYPE}-g++)
# The wrapper that reads the architecture's .pc files (/usr/lib/MULTIARCH/pkgconfig).
set(PKG_CONFIG_EXECUTABLE ${deb_GNU_TYPE}-pkg-config CACHE FILEPATH "pkg-config for ${TUBEFLIGHT_CROSS_ARCH}")
# Stripping works on the architecture's files.
set(CMAKE_STRIP ${deb_GNU_TYPE}-strip CACHE FILEPATH "strip for ${TUBEFLIGHT_CROSS_ARCH}")

# qemu names some CPUs otherwise than GNU does.
if(deb_GNU_CPU MATCHES "^i[3-6]86$")
  set(qemu_cpu i386)
elseif(deb_GNU_CPU STREQUAL "powerpc64le")
  set(qemu_cpu ppc64le)
else()
  set(qemu_cpu ${deb_GNU_CPU})
endif()
find_program(TUBEFLIGHT_QEMU NAMES qemu-${qemu_cpu} qemu-${qemu_cpu}-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TUBEFLIGHT_QEMU} -L /)

# Libraries and headers: the multiarch ones under /usr (CMake looks in
# lib/MULTIARCH through CMAKE_LIBRARY_ARCHITECTURE); programs: the build
# machine's.
set(CMAKE_FIND_ROOT_PATH /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
