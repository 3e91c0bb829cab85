// SPDX-License-Identifier: MIT
// GLU as the browser build has it (web/gl_layer.cpp): the projection and
// the look-at matrix, each multiplying the current matrix, and nothing else
// (see GL/gl.h beside this header).
#pragma once

#include <GL/gl.h>

extern "C" {

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble z_near, GLdouble z_far);
void gluLookAt(GLdouble eye_x, GLdouble eye_y, GLdouble eye_z, GLdouble center_x, GLdouble center_y,
               GLdouble center_z, GLdouble up_x, GLdouble up_y, GLdouble up_z);

} // extern "C"
