// SPDX-License-Identifier: MIT
#include "../geometry/reference_knot.h"
#include "camera/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

// The flight must match other renderings bit for bit: the path angles are
// rounded to float before the curve is evaluated, and nothing else is. An
// independent computation with those rounding points reproduces every frame
// exactly; each plausible alternative misses some frame.

namespace {

enum class Variant {
    Exact,
    UnroundedAngles,  // theta and theta' kept in double
    RoundedMultiples, // 3 theta also rounded to float
    FloatTrig,        // sinf/cosf
    UnroundedRadius,  // r kept in double
};

constexpr double PI = 3.141593;

Vec3 reference_point(double theta, Variant variant) {
    switch (variant) {
    case Variant::RoundedMultiples:
        return reference_knot(to_float(3 * theta), 4 * theta);
    case Variant::FloatTrig:
        return reference_knot(3 * theta, 4 * theta, KnotRounding::FloatTrig);
    case Variant::UnroundedRadius:
        return reference_knot(3 * theta, 4 * theta, KnotRounding::UnroundedRadius);
    default:
        return reference_knot(3 * theta, 4 * theta);
    }
}

// Number of the 360 frames of a lap whose eye, target or up differ in any bit.
int mismatches(Variant variant) {
    Camera camera{{0, 0, 10}, {0, 0, 1}, {0, 1, 0}, 0};
    std::int32_t step = 0;
    int count = 0;
    for (int frame = 0; frame < 360; ++frame) {
        camera_step(camera, step);
        double theta = step * PI / 180;
        double ahead = (step * PI + 31.41593) / 180;
        if (variant != Variant::UnroundedAngles) {
            theta = to_float(theta);
            ahead = to_float(ahead);
        }
        const double alpha = (step - 90) * PI / 180;
        Vec3 up{to_float(std::cos(alpha)), to_float(std::sin(alpha)), 0};
        const float length = to_float(std::sqrt(static_cast<double>(up.x * up.x + up.y * up.y)));
        up = {up.x / length, up.y / length, 0};
        const Vec3 want[3] = {reference_point(theta, variant), reference_point(ahead, variant), up};
        count += std::memcmp(want, &camera, sizeof want) != 0;
    }
    return count;
}

} // namespace

TEST(CameraRounding, FramesRoundAtExactlyTheirRoundingPoints) {
    EXPECT_EQ(mismatches(Variant::Exact), 0);
    for (Variant slip : {Variant::UnroundedAngles, Variant::RoundedMultiples, Variant::FloatTrig,
                         Variant::UnroundedRadius}) {
        EXPECT_GT(mismatches(slip), 0) << "variant " << static_cast<int>(slip);
    }
}

// The same bits on every architecture the program is built for: a digest of
// the eye, target and up of the 360 frames of a lap, as an amd64 build
// computes them (see MeshRounding for why).
TEST(CameraRounding, EveryFrameHasTheBitsOfAnAmd64Build) {
    Camera camera{{0, 0, 10}, {0, 0, 1}, {0, 1, 0}, 0};
    std::int32_t step = 0;
    std::uint32_t hash = 2166136261u;
    for (int frame = 0; frame < 360; ++frame) {
        camera_step(camera, step);
        float floats[9]; // eye, target, up
        std::memcpy(floats, &camera, sizeof floats);
        hash = float_bits_hash(floats, 9, hash);
    }
    EXPECT_EQ(hash, 0x2acc156bu);
}
