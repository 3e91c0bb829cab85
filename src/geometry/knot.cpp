// SPDX-License-Identifier: MIT
#include "geometry/knot.h"

#include <cmath>

Vec3 knot_point_at(double a, double b) {
    const float r = static_cast<float>((std::sin(b) * 0.5 + 1.0) * 2.0);
    return Vec3{static_cast<float>(std::cos(a) * r), static_cast<float>(std::cos(b) * r),
                static_cast<float>(std::sin(a) * r)};
}

Vec3 knot_point(double theta) {
    return knot_point_at(3.0 * theta, 4.0 * theta);
}
