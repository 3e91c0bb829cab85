// SPDX-License-Identifier: MIT
#include "app/video_driver.h"

#include <SDL.h>

#include <cstring>

bool video_driver_shows_a_display() {
    char name[64] = "";
    if (SDL_VideoDriverName(name, sizeof name) == nullptr) {
        return false;
    }
    return std::strcmp(name, "offscreen") != 0 && std::strcmp(name, "dummy") != 0;
}
