// tubeflight_floor: the flight with draw_scene swapped for draw_floor. The
// window (the windowed build's, with every SDL subsystem started, as the
// flight starts them), camera steps, the 16 ms busy-wait, swap, caption and
// event handling are the flight's own, so that its frame cost is the cost of
// the same frame with the cheapest way to hand the mesh to OpenGL.
#include "floor_draw.h"
#include "gl_window.h"

#include "app/events.h"
#include "app/flight.h"
#include "app/frame_clock.h"
#include "app/gl_state.h"
#include "app/stop_signals.h"
#include "camera/camera.h"
#include "geometry/tube_mesh.h"

#include <SDL.h>

#include <cstdint>
#include <cstdlib>

namespace {

TubeMesh mesh;
Camera camera = START_CAMERA;
std::int32_t path_step = 0;

int run_floor_flight() {
    install_stop_signals();
    if (!open_gl_window(SDL_INIT_EVERYTHING)) {
        return 1;
    }
    SDL_WM_SetCaption(START_CAPTION, "");
    SDL_WarpMouse(SCREEN_WIDTH / 2, SCREEN_HEIGHT / 2);
    camera = START_CAMERA;
    build_tube_mesh(RINGS, SIDES, mesh);

    bool quit = false;
    do {
        const Uint32 frame_start = SDL_GetTicks();
        camera_step(camera, path_step);
        draw_floor(camera, mesh);
        while (!frame_period_over(frame_start, SDL_GetTicks())) {
        }
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

} // namespace

int main(int, char**) {
    std::exit(run_floor_flight());
}
