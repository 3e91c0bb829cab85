// SPDX-License-Identifier: MIT
#include "geometry/vec3.h"

#include <cmath>

void vec_add(const Vec3& a, const Vec3& b, Vec3& out) {
    out.x = a.x + b.x;
    out.y = a.y + b.y;
    out.z = a.z + b.z;
}

void vec_sub(const Vec3& a, const Vec3& b, Vec3& out) {
    out.x = a.x - b.x;
    out.y = a.y - b.y;
    out.z = a.z - b.z;
}

void vec_cross(const Vec3& a, const Vec3& b, Vec3& out) {
    out.x = a.y * b.z - a.z * b.y;
    out.y = a.z * b.x - a.x * b.z;
    out.z = a.x * b.y - a.y * b.x;
}

float vec_length(const Vec3& v) {
    const float squares = v.x * v.x + v.y * v.y + v.z * v.z;
    const float length = static_cast<float>(std::sqrt(static_cast<double>(squares)));
    // The comparison is made on the rounded value; NaN is unordered.
    if (length == 0.0f || std::isnan(length)) {
        return 1.0f;
    }
    return length;
}

void vec_normalize(Vec3& v) {
    const float length = vec_length(v);
    v.x /= length;
    v.y /= length;
    v.z /= length;
}
