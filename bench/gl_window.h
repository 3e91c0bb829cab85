#pragma once

// Opens the flight's 640 x 480 double-buffered OpenGL window on the current
// DISPLAY (video only, no audio) and applies the flight's fixed GL state.
// Returns false when SDL or the video mode cannot be had; the caller then
// has no GL context.
bool open_gl_window();

// Reads the back buffer as tightly packed RGB bytes, bottom row first.
void read_back_buffer(unsigned char* rgb);
