// SPDX-License-Identifier: MIT
#pragma once

// Three-component vector of 32-bit floats and its few operations. Inputs are
// taken by reference, results go into a caller-supplied destination.
struct Vec3 {
    float x;
    float y;
    float z;
};

void vec_add(const Vec3& a, const Vec3& b, Vec3& out);
void vec_sub(const Vec3& a, const Vec3& b, Vec3& out);
// out = a x b; out must not alias a or b.
void vec_cross(const Vec3& a, const Vec3& b, Vec3& out);
// Euclidean length, except that a length of exactly 0 or NaN reads as 1.0,
// so normalising a degenerate vector never divides by zero.
float vec_length(const Vec3& v);
void vec_normalize(Vec3& v);
