# SPDX-License-Identifier: MIT
# Cross build to 64-bit Windows (x86_64-w64-mingw32) with Debian's MinGW-w64,
# against SDL 1.2 for Windows as scripts/fetch-windows-sdl builds it:
#   sdl=$(scripts/fetch-windows-sdl)
#   cmake --preset windows -DTUBEFLIGHT_WINDOWS_SDL="$sdl"
# TUBEFLIGHT_WINDOWS_SDL names the folder it installed SDL into (the one it
# prints). The executables link the MinGW runtime statically, so SDL.dll is
# the only library they need beside Windows' own. Test programs, those that
# gtest_discover_tests runs at build time included, run under Wine, in the
# prefix build-windows/wine.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The POSIX-threads compilers: GoogleTest needs std::mutex, which the
# win32-threads ones lack. Their winpthread is linked in with the rest of
# the runtime.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_STRIP x86_64-w64-mingw32-strip CACHE FILEPATH "strip for Windows")
set(CMAKE_OBJCOPY x86_64-w64-mingw32-objcopy CACHE FILEPATH "objcopy for Windows")

if(DEFINED ENV{XDG_CACHE_HOME})
  set(cache "$ENV{XDG_CACHE_HOME}")
else()
  set(cache "$ENV{HOME}/.cache")
endif()
set(TUBEFLIGHT_WINDOWS_SDL "${cache}/tubeflight/windows-sdl/1.2.15+dfsg2-8"
    CACHE PATH "SDL 1.2 for Windows, as scripts/fetch-windows-sdl installs it")
unset(cache)
# The benchmarks are the Linux build's.
set(TUBEFLIGHT_BENCH OFF CACHE BOOL "Build the benchmarks")

find_program(TUBEFLIGHT_WINE NAMES wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run
    ${CMAKE_BINARY_DIR}/wine)

# Libraries and headers: MinGW's and SDL's; programs: the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${TUBEFLIGHT_WINDOWS_SDL})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
