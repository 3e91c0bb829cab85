// SPDX-License-Identifier: MIT
// gluPerspective and gluLookAt for the browser build, as GLU documents them:
// each multiplies the current matrix by its own. Emscripten's versions
// replace the current matrix instead, and its gluLookAt hands its arguments
// to the matrix library in the wrong order, so that it leaves the matrix
// unchanged and every frame would show the start view. Defined here, they
// take the place of Emscripten's at link time; the arithmetic is in single
// precision, as in the desktop's GLU.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

void normalize(float v[3]) {
    const float length = static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    if (length != 0.0f) {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

} // namespace

extern "C" {

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble z_near, GLdouble z_far) {
    constexpr double PI = 3.14159265358979323846;
    const double half_angle = fovy / 2 * PI / 180;
    const double cotangent = std::cos(half_angle) / std::sin(half_angle);
    const double depth = z_far - z_near;
    // Column-major, as OpenGL takes it.
    const GLdouble m[16] = {cotangent / aspect,
                            0,
                            0,
                            0,
                            0,
                            cotangent,
                            0,
                            0,
                            0,
                            0,
                            -(z_far + z_near) / depth,
                            -1,
                            0,
                            0,
                            -2 * z_near * z_far / depth,
                            0};
    glMultMatrixd(m);
}

void gluLookAt(GLdouble eye_x, GLdouble eye_y, GLdouble eye_z, GLdouble center_x, GLdouble center_y,
               GLdouble center_z, GLdouble up_x, GLdouble up_y, GLdouble up_z) {
    float forward[3] = {static_cast<float>(center_x - eye_x), static_cast<float>(center_y - eye_y),
                        static_cast<float>(center_z - eye_z)};
    float up[3] = {static_cast<float>(up_x), static_cast<float>(up_y), static_cast<float>(up_z)};
    normalize(forward);
    // The side vector is normalised, so that the rotation stays one when
    // `up` is not perpendicular to the view direction.
    float side[3];
    cross(forward, up, side);
    normalize(side);
    cross(side, forward, up);
    const GLfloat m[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                           side[2], up[2], -forward[2], 0, 0,       0,     0,           1};
    glMultMatrixf(m);
    glTranslated(-eye_x, -eye_y, -eye_z);
}

} // extern "C"
