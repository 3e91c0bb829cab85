// SPDX-License-Identifier: MIT
// Entry point of both executables; FULLSCREEN_BUILD picks the display mode.
#include "app/desktop_loop.h"

#include <cstdlib>

int main(int, char**) {
#ifdef FULLSCREEN_BUILD
    std::exit(run_flight(FULLSCREEN_VIDEO_FLAGS));
#else
    std::exit(run_flight(WINDOWED_VIDEO_FLAGS));
#endif
}
