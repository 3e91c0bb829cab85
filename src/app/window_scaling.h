// SPDX-License-Identifier: MIT
#pragma once

#include <SDL.h>

// In a window there is nothing to scale: asks sdl12-compat to render
// straight into the window instead of into a framebuffer of its own that it
// copies to the window at every swap, which adds its copy to every frame.
// A full-screen mode keeps the scaling that lets 640x480 fill any desktop,
// and a setting the user made wins. Must run before SDL_Init, which reads
// it; classic SDL 1.2 ignores it.
void prefer_unscaled_window(Uint32 video_flags);
