// SPDX-License-Identifier: MIT
// tubeflight_floor: the flight with draw_scene swapped for draw_floor. The
// start-up, camera steps, 16 ms busy-wait, swap, caption and event handling
// are the flight's own, so that its frame cost is the cost of the same frame
// with the cheapest way to hand the mesh to OpenGL.
#include "floor_draw.h"

#include "app/flight.h"

#include <cstdlib>

int main(int, char**) {
    std::exit(run_flight(WINDOWED_VIDEO_FLAGS, draw_floor));
}
