// SPDX-License-Identifier: MIT
#include "../geometry/reference_knot.h"
#include "camera/camera.h"
#include "geometry/knot.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

std::array<float, 3> xyz(const Vec3& v) {
    return {v.x, v.y, v.z};
}

void expect_near(const Vec3& got, const Vec3& want, double tolerance, const char* what, int step) {
    EXPECT_NEAR(got.x, want.x, tolerance) << what << " at step " << step;
    EXPECT_NEAR(got.y, want.y, tolerance) << what << " at step " << step;
    EXPECT_NEAR(got.z, want.z, tolerance) << what << " at step " << step;
}

Vec3 curve_at_degrees(int degrees) {
    return knot_point(degrees * 3.141593 / 180);
}

// One lap driven as the frame loop drives it, from the start-up camera;
// lap[s] is the camera of the frame whose path step is s.
struct Lap {
    std::array<Camera, 360> by_step{};
    Camera camera{{0, 0, 10}, {0, 0, 1}, {0, 1, 0}, 0};
    std::int32_t path_step = 0;

    Lap() {
        for (int frame = 1; frame <= 360; ++frame) {
            camera_step(camera, path_step);
            EXPECT_EQ(path_step, frame % 360);
            EXPECT_EQ(path_step_before(frame + 1), path_step) << "frame " << frame + 1;
            by_step[path_step] = camera;
        }
    }
};

} // namespace

TEST(Camera, NamedFramesOfTheFlight) {
    const Lap lap;
    const struct {
        int step;
        Vec3 eye;
        std::optional<Vec3> target;
        std::int32_t roll;
        Vec3 up;
    } frames[] = {
        {1,
         {2.0669f, 2.0647f, 0.1083f},
         Vec3{2.2599f, 1.9384f, 1.4676f},
         -89,
         {0.01745f, -0.99985f, 0}},
        {0, {2, 2, 0}, Vec3{2.2887f, 2.0245f, 1.3214f}, -90, {0, -1, 0}},
        {90, {0, 2, -2}, std::nullopt, 0, {1, 0, 0}},
    };
    for (const auto& f : frames) {
        const Camera& camera = lap.by_step[f.step];
        expect_near(camera.eye, f.eye, 1e-4, "eye", f.step);
        if (f.target) {
            expect_near(camera.target, *f.target, 1e-4, "target", f.step);
        }
        EXPECT_EQ(camera.roll, f.roll) << "step " << f.step;
        expect_near(camera.up, f.up, 1e-4, "up", f.step);
    }
    EXPECT_EQ(xyz(lap.by_step[0].eye), (std::array<float, 3>{2, 2, 0}));
    EXPECT_EQ(xyz(lap.by_step[90].up), (std::array<float, 3>{1, 0, 0}));
}

TEST(Camera, EveryStepFliesAlongTheCurveLookingTenDegreesAhead) {
    Lap lap;
    for (int step = 0; step < 360; ++step) {
        const Camera& camera = lap.by_step[step];
        expect_near(camera.eye, curve_at_degrees(step), 1e-5, "eye", step);
        // Past one turn (steps 350 to 359) the target must still land ten
        // degrees beyond the eye on the closed curve.
        expect_near(camera.target, curve_at_degrees((step + 10) % 360), 1e-4, "target", step);
        EXPECT_EQ(camera.roll, step - 90);

        const Vec3& up = camera.up;
        EXPECT_NEAR(std::hypot(up.x, up.y, up.z), 1.0, 1e-6) << "step " << step;
        EXPECT_EQ(up.z, 0.0f) << "step " << step;
        const double view[3] = {camera.target.x - camera.eye.x, camera.target.y - camera.eye.y,
                                camera.target.z - camera.eye.z};
        const double cosine = (view[0] * up.x + view[1] * up.y + view[2] * up.z) /
                              std::hypot(view[0], view[1], view[2]);
        EXPECT_GT(std::acos(std::fabs(cosine)) * 180 / std::acos(-1.0), 4.0) << "step " << step;
    }

    // The lap closes: after step 0 the flight repeats its first frame exactly.
    camera_step(lap.camera, lap.path_step);
    EXPECT_EQ(lap.path_step, 1);
    EXPECT_EQ(path_step_before(1), 0);
    EXPECT_EQ(path_step_before(100 * 360 + 2), 1);
    EXPECT_EQ(std::memcmp(&lap.camera, &lap.by_step[1], sizeof(Camera)), 0);
}

TEST(Camera, UpdateDerivesUpFromRollAlone) {
    const struct {
        std::int32_t roll;
        Vec3 up;
    } cases[] = {{0, {1, 0, 0}},
                 {90, {0, 1, 0}},
                 {180, {-1, 0, 0}},
                 {-90, {0, -1, 0}},
                 {269, {-0.01745f, -0.99985f, 0}}};
    for (const auto& c : cases) {
        Camera camera{{1.5f, -2.5f, 3.5f}, {-4.25f, 5.25f, -6.25f}, {9, 9, 9}, c.roll};
        camera_update(camera);
        EXPECT_EQ(xyz(camera.eye), (std::array<float, 3>{1.5f, -2.5f, 3.5f}));
        EXPECT_EQ(xyz(camera.target), (std::array<float, 3>{-4.25f, 5.25f, -6.25f}));
        EXPECT_EQ(camera.roll, c.roll);
        expect_near(camera.up, c.up, 1e-4, "up for roll", c.roll);
    }
}
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
int mismatches(const Lap& lap, Variant variant) {
    int count = 0;
    for (int step = 0; step < 360; ++step) {
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
        count += std::memcmp(want, &lap.by_step[step], sizeof want) != 0;
    }
    return count;
}

} // namespace

TEST(CameraRounding, FramesRoundAtExactlyTheirRoundingPoints) {
    const Lap lap;
    EXPECT_EQ(mismatches(lap, Variant::Exact), 0);
    for (Variant slip : {Variant::UnroundedAngles, Variant::RoundedMultiples, Variant::FloatTrig,
                         Variant::UnroundedRadius}) {
        EXPECT_GT(mismatches(lap, slip), 0) << "variant " << static_cast<int>(slip);
    }
}

// The same bits on every architecture the program is built for: a digest of
// the eye, target and up of the 360 frames of a lap, as an amd64 build
// computes them (see MeshRounding for why).
TEST(CameraRounding, EveryFrameHasTheBitsOfAnAmd64Build) {
    const Lap lap;
    std::uint32_t hash = 2166136261u;
    for (int frame = 1; frame <= 360; ++frame) {
        float floats[9]; // eye, target, up
        std::memcpy(floats, &lap.by_step[frame % 360], sizeof floats);
        hash = float_bits_hash(floats, 9, hash);
    }
    EXPECT_EQ(hash, 0x2acc156bu);
}
