// SPDX-License-Identifier: MIT
#pragma once

#include "camera/camera.h"
#include "geometry/tube_mesh.h"

// The renderer's floor: draw_scene's frame (render/draw_scene.h's start_frame
// and end_frame) around every triangle with per-vertex colours, but the whole
// mesh goes to OpenGL in one glDrawElements call from client-side arrays that
// point straight into the mesh, instead of two immediate-mode calls per corner.
void draw_floor(const Camera& camera, const TubeMesh& mesh);
