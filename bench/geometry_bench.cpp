// SPDX-License-Identifier: MIT
// Start-up and per-frame geometry: the tube build, the knot curve and the
// camera step.
#include "camera/camera.h"
#include "geometry/angles.h"
#include "geometry/knot.h"
#include "geometry/tube_mesh.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

// The start-up build: a fresh, empty mesh is sized and gets topology,
// colours and positions, whatever an earlier build left in mesh_built.
void BM_build_tube_mesh_first(benchmark::State& state) {
    for (auto _ : state) {
        TubeMesh mesh;
        build_tube_mesh(RINGS, SIDES, mesh);
        benchmark::DoNotOptimize(mesh.vertices.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * RINGS * SIDES);
}
BENCHMARK(BM_build_tube_mesh_first)->Unit(benchmark::kMicrosecond);

// A build of a mesh already built at this size: positions only.
void BM_build_tube_mesh_repeat(benchmark::State& state) {
    TubeMesh mesh;
    build_tube_mesh(RINGS, SIDES, mesh);
    for (auto _ : state) {
        build_tube_mesh(RINGS, SIDES, mesh);
        benchmark::DoNotOptimize(mesh.vertices.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * RINGS * SIDES);
}
BENCHMARK(BM_build_tube_mesh_repeat)->Unit(benchmark::kMicrosecond);

// One point of the curve, at the angles the camera visits over a lap.
void BM_knot_point(benchmark::State& state) {
    int step = 0;
    for (auto _ : state) {
        const double theta = step * PI_APPROX / 180;
        benchmark::DoNotOptimize(knot_point(theta));
        step = (step + 1) % LAP_STEPS;
    }
}
BENCHMARK(BM_knot_point);

// One frame of flight: path step, eye, target, roll and up vector.
void BM_camera_step(benchmark::State& state) {
    Camera camera = START_CAMERA;
    std::int32_t path_step = 0;
    for (auto _ : state) {
        camera_step(camera, path_step);
        benchmark::DoNotOptimize(camera);
    }
}
BENCHMARK(BM_camera_step);

} // namespace
