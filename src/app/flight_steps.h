// SPDX-License-Identifier: MIT
#pragma once

#include "camera/camera.h"
#include "geometry/tube_mesh.h"

#include <SDL.h>

// The steps of the flight that every shell runs the same way: the desktop
// loop in flight.cpp and the browser's frame callback in src/web.

// Start-up: SDL, the 640x480 display mode with `video_flags` (a driver that
// shows nothing counts as a failed mode), the caption "Sdl Test", the fixed
// GL state, the pointer warp to the centre, the start camera and the tube.
// False when SDL, the display mode or the mesh storage cannot be had; SDL
// has then been shut down again if it had been initialised.
bool start_flight(Uint32 video_flags, Camera& camera, TubeMesh& mesh);

// What a frame does once it has been presented: Escape held down raises
// `quit`, the caption becomes the title line, and the event queue is
// drained (an Escape key-down among the events raises `quit` too) and
// pumped. `quit` is never cleared.
void finish_frame(bool& quit);
