// SPDX-License-Identifier: MIT
#pragma once

// The flight's 640 x 480 OpenGL window on the current DISPLAY, as the GL
// tests and the drawing benchmarks open it: the windowed build's video mode
// and the flight's fixed GL state, and reads of what has been drawn.

#include <SDL.h>

// Starts SDL with `subsystems`, opens the 640 x 480 x 32 window as the
// windowed build does and applies init_gl_state(). Returns false, with SDL
// shut down again and no GL context, when SDL or the video mode cannot be
// had; SDL_GetError() says why.
bool open_gl_window(Uint32 subsystems = SDL_INIT_VIDEO);

// Shuts SDL down, and with it the window.
void close_gl_window();

// Reads the whole frame as tightly packed RGB bytes (640 x 480 x 3), bottom
// row first, from the buffer being drawn.
void read_back_buffer(unsigned char* rgb);

// Reads one pixel's RGB bytes, x from the left and y from the bottom.
void read_pixel(int x, int y, unsigned char rgb[3]);
