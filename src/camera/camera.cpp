// SPDX-License-Identifier: MIT
#include "camera/camera.h"

#include "geometry/angles.h"
#include "geometry/knot.h"

#include <cmath>

namespace {
constexpr double LOOK_AHEAD = 31.41593; // ten degrees, times pi
constexpr std::int32_t ROLL_OFFSET = -90;
} // namespace

void camera_update(Camera& camera) {
    const double alpha = camera.roll * PI_APPROX / 180;
    camera.up =
        Vec3{static_cast<float>(std::cos(alpha)), static_cast<float>(std::sin(alpha)), 0.0f};
    vec_normalize(camera.up);
}

void camera_step(Camera& camera, std::int32_t& path_step) {
    path_step = (path_step + 1) % LAP_STEPS;
    // The target angle is not reduced modulo a turn; the closed curve absorbs
    // the overshoot of the last ten steps of a lap.
    const float theta = static_cast<float>(path_step * PI_APPROX / 180);
    const float theta_ahead = static_cast<float>((path_step * PI_APPROX + LOOK_AHEAD) / 180);
    camera.eye = knot_point(theta);
    camera.target = knot_point(theta_ahead);
    camera.roll = path_step + ROLL_OFFSET;
    camera_update(camera);
}

std::int32_t path_step_before(long frame) {
    return static_cast<std::int32_t>((frame - 1) % LAP_STEPS);
}
