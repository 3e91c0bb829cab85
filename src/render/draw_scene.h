// SPDX-License-Identifier: MIT
#pragma once

#include "camera/camera.h"
#include "geometry/tube_mesh.h"

// Clears the frame and draws every triangle of the mesh from the camera,
// with per-vertex colours, on the fixed-function pipeline. Leaves the
// model-view matrix as it found it and does not swap buffers.
void draw_scene(const Camera& camera, const TubeMesh& mesh);

// The frame around draw_scene's triangles. start_frame clears the frame and
// sets the model-view matrix to look from the camera, pushing the matrix
// that was there; end_frame pops it and hands the frame to the renderer.
void start_frame(const Camera& camera);
void end_frame();
