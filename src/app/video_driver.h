// SPDX-License-Identifier: MIT
#pragma once

// False when SDL has fallen back to a video driver that shows nothing on
// any screen (SDL 2's "offscreen", or "dummy"), as it does when no display
// answers. A flight there would be seen by nobody and, with no keyboard,
// could never be ended with Escape; start-up treats it as a failed mode.
bool video_driver_shows_a_display();
