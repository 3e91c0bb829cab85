// SPDX-License-Identifier: MIT
#pragma once

#include "app/video_flags.h" // the values of `video_flags`

#include <SDL.h>

// The desktop flight: opens the display with `video_flags`, builds the tube
// and flies through it in a loop paced by a busy wait, until Escape (exit
// status 0) or a stop signal. Returns 1 when SDL, the display mode or the
// mesh storage cannot be had. Prints nothing.
int run_flight(Uint32 video_flags);
