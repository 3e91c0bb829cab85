#pragma once

#include "camera/camera.h"
#include "geometry/tube_mesh.h"

// Rewrites of draw_scene that keep its exact GL call sequence (clear,
// push, identity, look-at, one glBegin/glEnd with glColor3fv then
// glVertex3fv per corner in triangle order, pop, flush) and change only how
// the CPU gets to those calls. They exist to measure whether the
// immediate-mode path has any slack left.

// A verbatim copy of draw_scene, built in this benchmark like the variants,
// as the control.
void draw_scene_copy(const Camera& camera, const TubeMesh& mesh);

// The same source compiled with -fno-plt: each GL call goes through the GOT
// directly instead of a PLT stub.
void draw_scene_no_plt(const Camera& camera, const TubeMesh& mesh);

// The two per-corner entry points looked up once with SDL_GL_GetProcAddress
// and called through cached pointers.
void draw_scene_proc_pointers(const Camera& camera, const TubeMesh& mesh);

// Walks the triangle array as one flat run of corner indices.
void draw_scene_flat_corners(const Camera& camera, const TubeMesh& mesh);
