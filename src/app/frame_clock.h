// SPDX-License-Identifier: MIT
#pragma once

#include <SDL.h>

// Floor of one frame, in milliseconds: at most 62.5 frames per second.
constexpr Uint32 FRAME_MS = 16;

// True once a whole frame period has passed since `start`. The difference
// is taken modulo 2^32, so the comparison stays right when the millisecond
// clock wraps (after about 49.7 days).
constexpr bool frame_period_over(Uint32 start, Uint32 now) {
    return static_cast<Uint32>(now - start) >= FRAME_MS;
}
