// SPDX-License-Identifier: MIT
#include "app/shared_steps.h"

#include "app/captions.h"
#include "app/escape.h"
#include "app/gl_state.h"
#include "app/video_driver.h"
#include "camera/camera.h"
#include "geometry/tube_mesh.h"
#include "render/draw_scene.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>

namespace {

// The process-wide objects of the flight.
TubeMesh mesh;
Camera camera = START_CAMERA;
std::int32_t path_step = 0;

// Shuts SDL down after a failed start, keeping SDL's reason for the caller:
// SDL_Quit may clear it. Copied by a loop: the program calls no libc
// function that fortification would check, and a bounded copy call would
// count as an unchecked one.
void quit_keeping_reason() {
    std::array<char, 256> reason{};
    const char* error = SDL_GetError();
    for (std::size_t i = 0; i + 1 < reason.size() && error[i] != '\0'; ++i) {
        reason[i] = error[i];
    }
    SDL_Quit();
    SDL_SetError("%s", reason.data());
}

} // namespace

bool start_flight(Uint32 video_flags) {
    if (SDL_Init(SDL_INIT_EVERYTHING) != 0) {
        return false;
    }
    if (SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, video_flags) == nullptr) {
        quit_keeping_reason();
        return false;
    }
    if (!video_driver_shows_a_display()) {
        SDL_SetError("SDL's video driver shows nothing");
        quit_keeping_reason();
        return false;
    }
    SDL_WM_SetCaption(START_CAPTION, "");
    init_gl_state();
    SDL_WarpMouse(SCREEN_WIDTH / 2, SCREEN_HEIGHT / 2);
    camera = START_CAMERA;
    try {
        build_tube_mesh(RINGS, SIDES, mesh);
    } catch (const std::exception&) { // the mesh could not be had: no storage
        SDL_SetError("not enough memory for the tube");
        quit_keeping_reason();
        return false;
    }
    return true;
}

void fly_frame() {
    camera_step(camera, path_step);
    draw_scene(camera, mesh);
}

void skip_to_frame(long frame) {
    path_step = path_step_before(frame);
}

void finish_frame(bool& quit) {
    // The keyboard state is the one the previous frame's pump left.
    if (escape_held()) {
        quit = true;
    }
    SDL_WM_SetCaption(TITLE_LINE, "");
    drain_events(quit);
    SDL_PumpEvents();
}
