// SPDX-License-Identifier: MIT
// The browser build's matrix arithmetic on small cases worked by hand: each
// call multiplies the matrix it is given, in OpenGL's column-major order.
#include "web/gl_matrices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>

namespace {

using Floats = std::array<float, 16>;

Floats floats(const Matrix4& matrix) {
    Floats values{};
    std::copy(std::begin(matrix.m), std::end(matrix.m), values.begin());
    return values;
}

constexpr Matrix4 IDENTITY{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
// gluPerspective(90, 2, 1, 3): cot 45 degrees = 1, over the aspect in x;
// depth -(3 + 1) / 2 and -2 * 1 * 3 / 2.
constexpr Floats PERSPECTIVE_90_2_1_3{0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -2, -1, 0, 0, -3, 0};

} // namespace

TEST(MatrixMultiply, LeftTimesRight) {
    const Matrix4 translate{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}};
    const Matrix4 scale{{2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1}};
    EXPECT_EQ(floats(matrix_multiply(translate, scale)),
              (Floats{2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1}));
    EXPECT_EQ(floats(matrix_multiply(scale, translate)),
              (Floats{2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 2, 4, 6, 1}));

    Matrix4 moved = scale;
    matrix_translate(moved, 1, 2, 3);
    EXPECT_EQ(floats(moved), (Floats{2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 2, 4, 6, 1}));
}

TEST(MatrixPerspective, MultipliesByTheProjection) {
    Matrix4 projection = IDENTITY;
    matrix_perspective(projection, 90, 2, 1, 3);
    EXPECT_EQ(floats(projection), PERSPECTIVE_90_2_1_3);

    // After a scale by 2 in x, y and z, rows 0 to 2 are doubled.
    Matrix4 scaled{{2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1}};
    matrix_perspective(scaled, 90, 2, 1, 3);
    EXPECT_EQ(floats(scaled), (Floats{1, 0, 0, 0, 0, 2, 0, 0, 0, 0, -4, -1, 0, 0, -6, 0}));
}

TEST(MatrixPerspective, NoProjectionLeavesTheMatrixAlone) {
    const Floats scale{2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
    for (const auto& [fovy, aspect, z_near, z_far] :
         {std::array<double, 4>{40, 1.5, 1, 1}, std::array<double, 4>{40, 0, 1, 10},
          std::array<double, 4>{0, 1.5, 1, 10}}) {
        Matrix4 matrix{{2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1}};
        matrix_perspective(matrix, fovy, aspect, z_near, z_far);
        EXPECT_EQ(floats(matrix), scale) << fovy << " " << aspect << " " << z_near << " " << z_far;
    }
}

TEST(MatrixLookAt, TurnsTheViewDownMinusZAndMovesTheEyeToTheOrigin) {
    // From (1, 2, 3) along +x: x turns into -z, z into +x, and the eye moves
    // to the origin, so that the centre lands 5 units down -z.
    const double eye[3] = {1, 2, 3};
    const double centre[3] = {6, 2, 3};
    const double up[3] = {0, 1, 0};
    Matrix4 view = IDENTITY;
    matrix_look_at(view, eye, centre, up);
    EXPECT_EQ(floats(view), (Floats{0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, -3, -2, 1, 1}));
}

TEST(MatrixLookAt, UpNeedNotBeUnitNorPerpendicular) {
    const double eye[3] = {0, 0, 0};
    const double centre[3] = {0, 0, -4};
    const Floats straight{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (const auto& up : {std::array<double, 3>{0, 1, 0}, std::array<double, 3>{0, 2, 1},
                           std::array<double, 3>{0, 0.5, -3}}) {
        Matrix4 view = IDENTITY;
        matrix_look_at(view, eye, centre, up.data());
        EXPECT_EQ(floats(view), straight) << up[0] << " " << up[1] << " " << up[2];
    }
}

TEST(MatrixLookAt, MultipliesTheProjection) {
    // Looking down -z from (1, 2, 3): the projection times a translation
    // by (-1, -2, -3), not the view alone.
    Matrix4 matrix = IDENTITY;
    matrix_perspective(matrix, 90, 2, 1, 3);
    const double eye[3] = {1, 2, 3};
    const double centre[3] = {1, 2, 0};
    const double up[3] = {0, 1, 0};
    matrix_look_at(matrix, eye, centre, up);
    EXPECT_EQ(floats(matrix), (Floats{0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -2, -1, -0.5f, -2, 3, 3}));
}
