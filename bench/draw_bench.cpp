// SPDX-License-Identifier: MIT
// Drawing on a real llvmpipe context: an SDL OpenGL window on the current
// DISPLAY with the flight's GL state. Each iteration advances the camera one
// step (as a frame does, about a microsecond) and draws the frame.
//
//   .../frame   the draw and glFinish: the whole cost of a frame's pixels
//   .../submit  the draw alone, up to its glFlush; the renderer then
//               finishes the frame outside the timed region
//
// Times are wall-clock: the renderer's own threads do much of the work.
#include "floor_draw.h"

#include "app/shared_steps.h"
#include "app/video_flags.h"
#include "camera/camera.h"
#include "geometry/tube_mesh.h"
#include "render/draw_scene.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

using DrawFunction = void (*)(const Camera&, const TubeMesh&);

bool window_open() {
    static const bool open = start_flight(WINDOWED_VIDEO_FLAGS);
    return open;
}

const TubeMesh& flight_mesh() {
    static const TubeMesh mesh = [] {
        TubeMesh built;
        build_tube_mesh(RINGS, SIDES, built);
        return built;
    }();
    return mesh;
}

void draw_frames(benchmark::State& state, DrawFunction draw, bool finish_in_timing) {
    if (!window_open()) {
        state.SkipWithError("no OpenGL window (is DISPLAY set?)");
        return;
    }
    const TubeMesh& mesh = flight_mesh();
    Camera camera = START_CAMERA;
    std::int32_t path_step = 0;
    glFinish();
    for (auto _ : state) {
        camera_step(camera, path_step);
        draw(camera, mesh);
        if (finish_in_timing) {
            glFinish();
        } else {
            state.PauseTiming();
            glFinish();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(mesh.triangles.size()));
}

void register_draw(const char* name, DrawFunction draw) {
    const std::string base = name;
    benchmark::RegisterBenchmark((base + "/frame").c_str(), draw_frames, draw, true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark((base + "/submit").c_str(), draw_frames, draw, false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

const bool registered = [] {
    register_draw("BM_draw_scene", draw_scene);
    register_draw("BM_draw_floor", draw_floor);
    return true;
}();

} // namespace
