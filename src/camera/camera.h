// SPDX-License-Identifier: MIT
#pragma once

#include "geometry/vec3.h"

#include <cstdint>

struct Camera {
    Vec3 eye;
    Vec3 target;
    Vec3 up;
    std::int32_t roll; // whole degrees
};

constexpr int LAP_STEPS = 360; // path steps (degrees) in one lap of the knot

// The view before the first step: the whole knot seen from outside.
constexpr Camera START_CAMERA{{0.0f, 0.0f, 10.0f}, {0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f}, 0};

// Derives `up` from `roll`: a unit vector in the x-y plane that turns once
// per lap. Leaves eye, target and roll alone.
void camera_update(Camera& camera);

// One frame of flight: advances path_step by one degree (mod 360), puts the
// eye on the knot there and the target ten degrees further on, and rolls.
void camera_step(Camera& camera, std::int32_t& path_step);

// The path step that the frames before frame `frame` (from 1) leave: the
// steps come round every lap, so frame N can be flown without the ones
// before it.
std::int32_t path_step_before(long frame);
