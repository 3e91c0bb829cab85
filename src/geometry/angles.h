// SPDX-License-Identifier: MIT
#pragma once

// The values of pi and 2 pi that every angle computation uses. They are
// deliberately not full precision: the curve, the rings and the flight are
// all defined in terms of these rounded values.
constexpr double PI_APPROX = 3.141593;
constexpr double TWO_PI_APPROX = 6.283186;
