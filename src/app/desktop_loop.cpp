// SPDX-License-Identifier: MIT
#include "app/desktop_loop.h"

#include "app/frame_clock.h"
#include "app/shared_steps.h"
#include "app/stop_signals.h"
#include "app/window_scaling.h"

namespace {

constexpr int EXIT_STARTUP_FAILURE = 1;

void wait_for_frame_end(Uint32 frame_start) {
    // A busy poll: no sleep, no yield.
    while (!frame_period_over(frame_start, SDL_GetTicks())) {
    }
}

} // namespace

int run_flight(Uint32 video_flags) {
    install_stop_signals();
    prefer_unscaled_window(video_flags);
    if (!start_flight(video_flags)) {
        return EXIT_STARTUP_FAILURE;
    }
    bool quit = false;

    do {
        const Uint32 frame_start = SDL_GetTicks();
        fly_frame();
        wait_for_frame_end(frame_start);
        SDL_GL_SwapBuffers();

        finish_frame(quit);
    } while (!quit && stop_signal() == 0);

    SDL_Quit();
    if (stop_signal() != 0) {
        reraise_stop_signal(stop_signal());
    }
    return 0;
}
