// SPDX-License-Identifier: MIT
#pragma once

#include <SDL.h>

// The steps of the flight that both shells share, the desktop loop of
// desktop_loop.cpp and the browser's frame callback in src/web alike:
// start-up, the step and drawing of a frame, and what follows the frame's
// presentation. The flight's process-wide objects (the tube, the camera and
// its path step) live here, from start-up until the process ends.

// Start-up: SDL, the 640x480 display mode with `video_flags` (a driver that
// shows nothing counts as a failed mode), the caption "Sdl Test", the fixed
// GL state, the pointer warp to the centre, the start camera and the tube.
// False when SDL, the display mode or the mesh storage cannot be had; SDL
// has then been shut down again if it had been initialised.
bool start_flight(Uint32 video_flags);

// One frame before it is presented: the camera's step along the knot, then
// the scene drawn from the camera.
void fly_frame();

// Puts the flight where the frames before frame `frame` (from 1) leave it,
// without drawing them, as the browser's still of the N-th frame needs: the
// next fly_frame draws frame `frame`.
void skip_to_frame(long frame);

// What a frame does once it has been presented: Escape held down raises
// `quit`, the caption becomes the title line, and the event queue is drained
// (an Escape key-down among the events raises `quit` too, escape.h) and
// pumped. `quit` is never cleared.
void finish_frame(bool& quit);
