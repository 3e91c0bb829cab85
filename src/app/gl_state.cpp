// SPDX-License-Identifier: MIT
#include "app/gl_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {
constexpr double FIELD_OF_VIEW = 40.0;
// One unit in the last place below 4/3.
constexpr double ASPECT = 1.333333333333333;
constexpr double NEAR_PLANE = 0.1;
constexpr double FAR_PLANE = 1000.0;
} // namespace

void init_gl_state() {
    glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW, ASPECT, NEAR_PLANE, FAR_PLANE);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_COLOR_MATERIAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}
