// SPDX-License-Identifier: MIT
#pragma once

#include "camera/camera.h"
#include "geometry/tube_mesh.h"
#include "render/draw_scene.h"

#include <SDL.h>

// Video-mode flags of the two builds.
constexpr Uint32 WINDOWED_VIDEO_FLAGS = SDL_HWSURFACE | SDL_OPENGL | SDL_DOUBLEBUF;
constexpr Uint32 FULLSCREEN_VIDEO_FLAGS = WINDOWED_VIDEO_FLAGS | SDL_FULLSCREEN;

constexpr const char* START_CAPTION = "Sdl Test";
constexpr const char* TITLE_LINE = "tubeflight - flying through the knot tube (Escape quits)";

// Draws one frame of the scene; the flight's is draw_scene.
using SceneDrawer = void (*)(const Camera& camera, const TubeMesh& mesh);

// Opens the display with `video_flags`, builds the tube and flies through it,
// drawing each frame with `draw`, until Escape (exit status 0) or a stop
// signal. Returns 1 when SDL, the display mode or the mesh storage cannot be
// had. Prints nothing.
int run_flight(Uint32 video_flags, SceneDrawer draw = draw_scene);
