# SPDX-License-Identifier: MIT
# Cross build to 64-bit ARM (Debian's arm64, aarch64-linux-gnu) on a Debian
# machine of another architecture, against the arm64 libraries installed
# beside the machine's own (multiarch; scripts/install-deps cross-arm64):
#   cmake --preset arm64
# Test programs, those that gtest_discover_tests runs at build time
# included, run under qemu-user; the arm64 dynamic loader and libraries are
# found in their multiarch places under /.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# The wrapper that reads the arm64 .pc files (/usr/lib/aarch64-linux-gnu/pkgconfig).
set(PKG_CONFIG_EXECUTABLE aarch64-linux-gnu-pkg-config CACHE FILEPATH "pkg-config for arm64")
# Stripping works on arm64 files.
set(CMAKE_STRIP aarch64-linux-gnu-strip CACHE FILEPATH "strip for arm64")

find_program(TUBEFLIGHT_QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TUBEFLIGHT_QEMU_AARCH64} -L /)

# Libraries and headers: the multiarch ones under /usr (CMake looks in
# lib/aarch64-linux-gnu through CMAKE_LIBRARY_ARCHITECTURE); programs: the
# build machine's.
set(CMAKE_FIND_ROOT_PATH /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
