// SPDX-License-Identifier: MIT
#pragma once

#include "geometry/vec3.h"

// The closed space curve that the tube wraps and the camera follows, with
// period 2 pi in theta and radius r between 1 and 3:
//   a = 3 theta, b = 4 theta, r = (sin b * 0.5 + 1) * 2
//   point = (cos a * r, cos b * r, sin a * r)
Vec3 knot_point(double theta);

// The same curve given its two angle multiples directly; the mesh rounds
// them to float before the trigonometry, the camera does not.
Vec3 knot_point_at(double a, double b);
