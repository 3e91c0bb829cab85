# SPDX-License-Identifier: MIT
# What the Windows build links: SDL 1.2 for Windows as
# scripts/fetch-windows-sdl installs it (SDL.dll, through its import
# library), OpenGL and GLU from Windows itself (opengl32, glu32), and the
# MinGW runtime (libgcc, libstdc++, winpthread, libssp) linked in, so that
# SDL.dll is the only library that goes with the executables.

if(NOT EXISTS "${TUBEFLIGHT_WINDOWS_SDL}/lib/libSDL.dll.a")
  message(FATAL_ERROR "SDL 1.2 for Windows is not in ${TUBEFLIGHT_WINDOWS_SDL}: "
                      "run scripts/fetch-windows-sdl, or set TUBEFLIGHT_WINDOWS_SDL to where it is")
endif()
set(TUBEFLIGHT_WINDOWS_SDL_DLL "${TUBEFLIGHT_WINDOWS_SDL}/bin/SDL.dll")

add_library(tubeflight_sdl INTERFACE)
target_include_directories(tubeflight_sdl SYSTEM INTERFACE "${TUBEFLIGHT_WINDOWS_SDL}/include/SDL")
# By file name: an import library is found by -l only in a dynamic link.
target_link_libraries(tubeflight_sdl INTERFACE "${TUBEFLIGHT_WINDOWS_SDL}/lib/libSDL.dll.a")

# SDLmain gives a GUI program the WinMain that Windows starts, which calls
# the program's main under the name SDL_main; MinGW's own library must come
# before it, as sdl-config gives them.
add_library(tubeflight_sdl_main INTERFACE)
target_compile_definitions(tubeflight_sdl_main INTERFACE main=SDL_main)
target_link_libraries(tubeflight_sdl_main INTERFACE
  mingw32 "${TUBEFLIGHT_WINDOWS_SDL}/lib/libSDLmain.a" "${TUBEFLIGHT_WINDOWS_SDL}/lib/libSDL.dll.a")

find_package(OpenGL REQUIRED COMPONENTS OpenGL)
set(GLU_LIBRARY glu32)

add_link_options(-static)
set(TUBEFLIGHT_STOP_SIGNALS src/app/stop_signals_windows.cpp)

# Windows finds a program's DLLs beside it: every program of the build,
# the tests' included, goes into bin/ with a copy of SDL.dll.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
configure_file(${TUBEFLIGHT_WINDOWS_SDL_DLL} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/SDL.dll COPYONLY)
