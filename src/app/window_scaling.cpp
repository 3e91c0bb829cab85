// SPDX-License-Identifier: MIT
#include "app/window_scaling.h"

#include <cstdlib>

void prefer_unscaled_window(Uint32 video_flags) {
    if ((video_flags & SDL_FULLSCREEN) == 0) {
#ifdef _WIN32
        // Windows' C runtime has no setenv; SDL.dll may be sdl12-compat's.
        if (std::getenv("SDL12COMPAT_OPENGL_SCALING") == nullptr) {
            _putenv_s("SDL12COMPAT_OPENGL_SCALING", "0");
        }
#else
        setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0); // 0: keep the user's value
#endif
    }
}
