// SPDX-License-Identifier: MIT
#include "geometry/vec3.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

std::array<float, 3> xyz(const Vec3& v) {
    return {v.x, v.y, v.z};
}

Vec3 normalized(Vec3 v) {
    vec_normalize(v);
    return v;
}

template <void (*Op)(const Vec3&, const Vec3&, Vec3&)> Vec3 apply(const Vec3& a, const Vec3& b) {
    Vec3 out{-7.0f, -7.0f, -7.0f};
    Op(a, b, out);
    return out;
}

} // namespace

TEST(Vec3, EdgeCasesOfEveryOperation) {
    const float nan = std::nanf("");
    const struct {
        const char* what;
        float got;
        float want;
    } lengths[] = {
        {"length of zero reads as 1", vec_length({0, 0, 0}), 1.0f},
        {"length with a NaN component reads as 1", vec_length({nan, 0, 0}), 1.0f},
        {"length of (3,4,0)", vec_length({3, 4, 0}), 5.0f},
        {"length of (0,0,-2)", vec_length({0, 0, -2}), 2.0f},
    };
    for (const auto& c : lengths) {
        EXPECT_EQ(c.got, c.want) << c.what;
    }

    const struct {
        const char* what;
        Vec3 got;
        Vec3 want;
    } vectors[] = {
        {"normalize of zero stays zero", normalized({0, 0, 0}), {0, 0, 0}},
        {"normalize of a unit vector", normalized({0, 1, 0}), {0, 1, 0}},
        {"normalize of (3,4,0)", normalized({3, 4, 0}), {0.6f, 0.8f, 0}},
        {"x cross y", apply<vec_cross>({1, 0, 0}, {0, 1, 0}), {0, 0, 1}},
        {"y cross x", apply<vec_cross>({0, 1, 0}, {1, 0, 0}), {0, 0, -1}},
        {"general cross", apply<vec_cross>({1, 2, 3}, {4, 5, 6}), {-3, 6, -3}},
        {"first minus second", apply<vec_sub>({1, 2, 3}, {1, 1, 1}), {0, 1, 2}},
        {"add", apply<vec_add>({1, 2, 3}, {0.5f, -2, 4}), {1.5f, 0, 7}},
    };
    for (const auto& c : vectors) {
        EXPECT_EQ(xyz(c.got), xyz(c.want)) << c.what;
    }
}
