// SPDX-License-Identifier: MIT
#pragma once

#include "camera/camera.h"
#include "geometry/tube_mesh.h"

// Draws one frame of the scene; the flight's is draw_scene. Benchmarks fly
// the same flight with another drawer to compare the cost of a frame.
using SceneDrawer = void (*)(const Camera& camera, const TubeMesh& mesh);
