// SPDX-License-Identifier: MIT
#pragma once

// The matrix arithmetic of the browser build's OpenGL (gl_layer.cpp), in
// single precision as on the desktop: the projection and look-at matrices
// are built as the desktop's GLU builds them for gluPerspective and
// gluLookAt, and multiplied, translated and combined in floats as Mesa does
// it for glMultMatrix, glTranslated and the projection times the
// model-view matrix that it transforms the vertices by.

// A 4x4 matrix in column-major order, as OpenGL takes it: m[4 * column + row].
struct Matrix4 {
    float m[16];
};

constexpr Matrix4 IDENTITY_MATRIX{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// a times b.
Matrix4 matrix_multiply(const Matrix4& a, const Matrix4& b);

// Multiplies `m` by the translation by (x, y, z).
void matrix_translate(Matrix4& m, float x, float y, float z);

// Multiplies `m` by the perspective projection of vertical field of view
// `fovy` degrees, width over height `aspect`, between the planes `z_near`
// and `z_far`. Leaves `m` alone when the planes coincide, or the field of
// view or the aspect is 0.
void matrix_perspective(Matrix4& m, double fovy, double aspect, double z_near, double z_far);

// Multiplies `m` by the view from `eye` towards `centre` with `up` upwards
// (each x, y, z): the up direction need be neither perpendicular to the view
// nor of unit length.
void matrix_look_at(Matrix4& m, const double eye[3], const double centre[3], const double up[3]);
