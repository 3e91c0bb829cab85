#include "app/flight.h"

#include "app/events.h"
#include "app/frame_clock.h"
#include "app/gl_state.h"
#include "app/stop_signals.h"
#include "app/video_driver.h"
#include "app/window_scaling.h"

#include <cstdint>
#include <exception>

namespace {

// The process-wide objects of the flight. They live until the process ends.
TubeMesh mesh;
Camera camera = START_CAMERA;
std::int32_t path_step = 0;

constexpr int EXIT_STARTUP_FAILURE = 1;

void wait_for_frame_end(Uint32 frame_start) {
    // A busy poll: no sleep, no yield.
    while (!frame_period_over(frame_start, SDL_GetTicks())) {
    }
}

} // namespace

int run_flight(Uint32 video_flags, SceneDrawer draw) {
    install_stop_signals();
    prefer_unscaled_window(video_flags);
    if (SDL_Init(SDL_INIT_EVERYTHING) != 0) {
        return EXIT_STARTUP_FAILURE;
    }
    if (SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, video_flags) == nullptr ||
        !video_driver_shows_a_display()) {
        SDL_Quit();
        return EXIT_STARTUP_FAILURE;
    }
    SDL_WM_SetCaption(START_CAPTION, "");
    init_gl_state();
    SDL_WarpMouse(SCREEN_WIDTH / 2, SCREEN_HEIGHT / 2);
    camera = START_CAMERA;
    bool quit = false;
    try {
        build_tube_mesh(RINGS, SIDES, mesh);
    } catch (const std::exception&) { // no storage for the mesh
        SDL_Quit();
        return EXIT_STARTUP_FAILURE;
    }

    do {
        const Uint32 frame_start = SDL_GetTicks();
        camera_step(camera, path_step);
        draw(camera, mesh);
        wait_for_frame_end(frame_start);
        SDL_GL_SwapBuffers();

        const Uint8* const keys = SDL_GetKeyState(nullptr);
        if (keys[SDLK_ESCAPE] != 0) {
            quit = true;
        }
        SDL_WM_SetCaption(TITLE_LINE, "");
        drain_events(quit);
        SDL_PumpEvents();
    } while (!quit && stop_signal() == 0);

    SDL_Quit();
    if (stop_signal() != 0) {
        reraise_stop_signal(stop_signal());
    }
    return 0;
}
