// SPDX-License-Identifier: MIT
// The browser build's matrix arithmetic against the desktop's own GLU and
// Mesa, read back from a real GL context: the flight's projection and the
// look-at matrix of every camera position in a lap, and their product,
// which is the matrix that the browser's shader transforms corners by.
#include "gl_fixture.h"

#include "camera/camera.h"
#include "web/gl_matrices.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace {

using GlMatrices = GlWindow;

std::array<float, 16> gl_matrix(GLenum which) {
    std::array<float, 16> matrix{};
    glGetFloatv(which, matrix.data());
    return matrix;
}

// Both in floats from the same operations in the same order, but the
// system's GLU and Mesa may be compiled with fused multiply-adds (Debian's
// arm64 builds are: GCC fuses by default there), which round a product and
// a sum once instead of twice. Over the four-term sums of a matrix product
// that moves an entry by a few units in the last place; one of Mesa's
// arm64 products differed from ours by 3 units at 1.35. So the entries
// must agree to 2^-20 of the larger of 1 and the entry: 8 to 16 units in
// the last place between 1 and 2, about a millionth of the entry. i386's
// GLU and Mesa round otherwise again: x87 arithmetic keeps sums in 80 bits.
// A product with the projection multiplies what the look-at matrices may
// differ by with the projection's entries, up to 1/tan 20 degrees = 2.75:
// there the room is SLACK (4) times as large.
template <int SLACK = 1>
::testing::AssertionResult same_matrix(const char*, const char*, const Matrix4& ours,
                                       const std::array<float, 16>& desktop) {
    for (std::size_t i = 0; i < 16; ++i) {
        const float scale = SLACK * std::max(1.0f, std::fabs(desktop[i]));
        if (std::fabs(ours.m[i] - desktop[i]) > scale * 0x1p-20f) {
            return ::testing::AssertionFailure()
                   << "entry " << i << ": " << ours.m[i] << " against the desktop's " << desktop[i];
        }
    }
    return ::testing::AssertionSuccess();
}

constexpr Matrix4 IDENTITY{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

} // namespace

TEST_F(GlMatrices, PerspectiveAsGlu) {
    for (const auto& [fovy, aspect, z_near, z_far] :
         {std::array<double, 4>{40.0, 1.333333333333333, 0.1, 1000.0},
          std::array<double, 4>{90.0, 1.0, 1.0, 100.0}, std::array<double, 4>{7.5, 0.3, 0.01, 2.0},
          std::array<double, 4>{170.0, 16.0 / 9, 5.0, 6.0}}) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(fovy, aspect, z_near, z_far);
        Matrix4 ours = IDENTITY;
        matrix_perspective(ours, fovy, aspect, z_near, z_far);
        EXPECT_PRED_FORMAT2(same_matrix<>, ours, gl_matrix(GL_PROJECTION_MATRIX))
            << "gluPerspective(" << fovy << ", " << aspect << ", " << z_near << ", " << z_far
            << ")";
    }
}

TEST_F(GlMatrices, LookAtAndProjectionTimesModelViewOverALap) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(40.0, 1.333333333333333, 0.1, 1000.0);
    const std::array<float, 16> projection_floats = gl_matrix(GL_PROJECTION_MATRIX);
    Matrix4 projection{};
    std::copy(projection_floats.begin(), projection_floats.end(), projection.m);

    Camera camera{{0, 0, 10}, {0, 0, 1}, {0, 1, 0}, 0};
    std::int32_t path_step = 0;
    for (int frame = 1; frame <= 360; ++frame) {
        camera_step(camera, path_step);
        const double eye[3] = {camera.eye.x, camera.eye.y, camera.eye.z};
        const double target[3] = {camera.target.x, camera.target.y, camera.target.z};
        const double up[3] = {camera.up.x, camera.up.y, camera.up.z};
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(eye[0], eye[1], eye[2], target[0], target[1], target[2], up[0], up[1], up[2]);
        const std::array<float, 16> model_view = gl_matrix(GL_MODELVIEW_MATRIX);
        Matrix4 ours = IDENTITY;
        matrix_look_at(ours, eye, target, up);
        ASSERT_PRED_FORMAT2(same_matrix<>, ours, model_view) << "frame " << frame;

        // Mesa's product, as it makes the one it transforms vertices by.
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(projection_floats.data());
        glMultMatrixf(model_view.data());
        ASSERT_PRED_FORMAT2(same_matrix<4>, matrix_multiply(projection, ours),
                            gl_matrix(GL_PROJECTION_MATRIX))
            << "frame " << frame;
    }
}
