// SPDX-License-Identifier: MIT
#include "app/escape.h"

#include <SDL.h>

#ifdef __EMSCRIPTEN__
// Emscripten's SDL headers leave out the SDL 1.2 name of the keyboard state;
// its SDL library still provides it.
extern "C" Uint8* SDL_GetKeyState(int* numkeys);
#endif

bool escape_held() {
    return SDL_GetKeyState(nullptr)[SDLK_ESCAPE] != 0;
}

void drain_events(bool& escape_seen) {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
            escape_seen = true;
        }
    }
}
