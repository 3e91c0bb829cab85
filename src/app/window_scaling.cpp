// SPDX-License-Identifier: MIT
#include "app/window_scaling.h"

#include <cstdlib>

void prefer_unscaled_window(Uint32 video_flags) {
    if ((video_flags & SDL_FULLSCREEN) == 0) {
        setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0); // 0: keep the user's value
    }
}
