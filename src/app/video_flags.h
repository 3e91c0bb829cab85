// SPDX-License-Identifier: MIT
#pragma once

#include <SDL.h>

// Video-mode flags of the two builds: they differ in SDL_FULLSCREEN alone.
constexpr Uint32 WINDOWED_VIDEO_FLAGS = SDL_HWSURFACE | SDL_OPENGL | SDL_DOUBLEBUF;
constexpr Uint32 FULLSCREEN_VIDEO_FLAGS = WINDOWED_VIDEO_FLAGS | SDL_FULLSCREEN;
