// SPDX-License-Identifier: MIT
#pragma once

#include "geometry/vec3.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Rounds to float through memory. GCC 12 at -O2 and above (its SLP
// vectorizer) can drop a double-to-float rounding whose result is widened
// again in the same function; the reference computations of the tests must
// keep every rounding point they spell out.
inline float to_float(double value) {
    volatile float rounded = static_cast<float>(value);
    return rounded;
}

// An independent evaluation of the knot curve from its angle multiples a and
// b, for comparing stored bits. Trigonometry is in double precision and only
// the radius and the stored components are rounded to float; the other
// variants are the plausible slips the comparison must be able to tell apart.
enum class KnotRounding { Exact, FloatTrig, UnroundedRadius };

inline Vec3 reference_knot(double a, double b, KnotRounding rounding = KnotRounding::Exact) {
    if (rounding == KnotRounding::FloatTrig) {
        const float fa = to_float(a);
        const float fb = to_float(b);
        const float r = to_float((std::sin(fb) * 0.5f + 1.0f) * 2.0f);
        return {to_float(std::cos(fa) * r), to_float(std::cos(fb) * r), to_float(std::sin(fa) * r)};
    }
    double r = (std::sin(b) * 0.5 + 1.0) * 2.0;
    if (rounding == KnotRounding::Exact) {
        r = to_float(r);
    }
    return {to_float(std::cos(a) * r), to_float(std::cos(b) * r), to_float(std::sin(a) * r)};
}

// FNV-1a over the bit patterns of floats, each taken as its four bytes from
// the lowest: the same value on machines of either byte order, and another
// one if any bit of any float differs.
inline std::uint32_t float_bits_hash(const float* values, std::size_t count,
                                     std::uint32_t hash = 2166136261u) {
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &values[i], sizeof bits);
        for (int shift = 0; shift < 32; shift += 8) {
            hash = (hash ^ ((bits >> shift) & 0xffu)) * 16777619u;
        }
    }
    return hash;
}
