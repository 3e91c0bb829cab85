// SPDX-License-Identifier: MIT
#pragma once

// The window caption: START_CAPTION until the end of the first frame, then
// TITLE_LINE, set again at the end of every frame.
constexpr const char* START_CAPTION = "Sdl Test";
constexpr const char* TITLE_LINE = "tubeflight - flying through the knot tube (Escape quits)";
