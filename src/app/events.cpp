// SPDX-License-Identifier: MIT
#include "app/events.h"

#include <SDL.h>

void drain_events(bool& escape_seen) {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
            escape_seen = true;
        }
    }
}
