// SPDX-License-Identifier: MIT
#pragma once

#include "camera/camera.h"
#include "geometry/tube_mesh.h"

// Clears the frame and draws every triangle of the mesh from the camera,
// with per-vertex colours, on the fixed-function pipeline. Leaves the
// model-view matrix as it found it and does not swap buffers.
void draw_scene(const Camera& camera, const TubeMesh& mesh);
