// SPDX-License-Identifier: MIT
#pragma once

#include "app/frame_clock.h"

// The browser calls the flight back once per display refresh, 60, 120, 144
// or more times a second, and a frame starts at the first refresh at or
// after the time it is due. Frames are due FRAME_MS apart on a schedule of
// their own rather than FRAME_MS after the last start: counted in whole
// refreshes, a 16 ms floor on a 144 Hz display (6.9 ms a refresh) would wait
// three refreshes for every frame, 48 frames a second, where the schedule
// keeps 62.5 (frames two or three refreshes apart). A flight that has
// fallen a whole period behind (a busy machine, a hidden tab) starts its
// schedule again from the late frame instead of hurrying to catch up, so it
// is never faster than 62.5 frames a second on average.
//
// Returns when the frame after the one due at `due` and started at `start`
// is due; times in milliseconds of the browser's frame clock.
constexpr double next_frame_due(double due, double start) {
    return due + FRAME_MS > start ? due + FRAME_MS : start;
}
