// SPDX-License-Identifier: MIT
#include "web/gl_matrices.h"

#include <cmath>

namespace {

// Normalises v in place; a zero vector stays zero. The sum of squares is
// taken in floats and its square root in double precision.
void normalize(float v[3]) {
    const auto length = static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
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

Matrix4 matrix_multiply(const Matrix4& a, const Matrix4& b) {
    // Row by row, each sum from left to right: the order Mesa adds in.
    Matrix4 product{};
    for (int row = 0; row < 4; ++row) {
        const float a0 = a.m[row];
        const float a1 = a.m[4 + row];
        const float a2 = a.m[8 + row];
        const float a3 = a.m[12 + row];
        for (int column = 0; column < 4; ++column) {
            const float* const b_column = &b.m[4 * column];
            product.m[4 * column + row] =
                a0 * b_column[0] + a1 * b_column[1] + a2 * b_column[2] + a3 * b_column[3];
        }
    }
    return product;
}

void matrix_translate(Matrix4& m, float x, float y, float z) {
    for (int row = 0; row < 4; ++row) {
        m.m[12 + row] = m.m[row] * x + m.m[4 + row] * y + m.m[8 + row] * z + m.m[12 + row];
    }
}

void matrix_perspective(Matrix4& m, double fovy, double aspect, double z_near, double z_far) {
    // Built in double precision and rounded to floats, as GLU hands its
    // matrix to glMultMatrixd.
    constexpr double PI = 3.14159265358979323846;
    const double half_angle = fovy / 2 * PI / 180;
    const double depth = z_far - z_near;
    const double sine = std::sin(half_angle);
    if (depth == 0 || sine == 0 || aspect == 0) {
        return;
    }
    const double cotangent = std::cos(half_angle) / sine;
    Matrix4 perspective{};
    perspective.m[0] = static_cast<float>(cotangent / aspect);
    perspective.m[5] = static_cast<float>(cotangent);
    perspective.m[10] = static_cast<float>(-(z_far + z_near) / depth);
    perspective.m[11] = -1;
    perspective.m[14] = static_cast<float>(-2 * z_near * z_far / depth);
    m = matrix_multiply(m, perspective);
}

void matrix_look_at(Matrix4& m, const double eye[3], const double centre[3], const double up[3]) {
    // In floats from the differences on, as GLU computes it.
    float forward[3] = {static_cast<float>(centre[0] - eye[0]),
                        static_cast<float>(centre[1] - eye[1]),
                        static_cast<float>(centre[2] - eye[2])};
    float upward[3] = {static_cast<float>(up[0]), static_cast<float>(up[1]),
                       static_cast<float>(up[2])};
    normalize(forward);
    // The side vector is normalised, so that the rotation stays one when
    // `up` is not perpendicular to the view direction.
    float side[3];
    cross(forward, upward, side);
    normalize(side);
    cross(side, forward, upward);
    const Matrix4 view{{side[0], upward[0], -forward[0], 0, side[1], upward[1], -forward[1], 0,
                        side[2], upward[2], -forward[2], 0, 0, 0, 0, 1}};
    m = matrix_multiply(m, view);
    matrix_translate(m, static_cast<float>(-eye[0]), static_cast<float>(-eye[1]),
                     static_cast<float>(-eye[2]));
}
