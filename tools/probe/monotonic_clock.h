// SPDX-License-Identifier: MIT
#pragma once

#include <time.h>

#include <cstdint>

// CLOCK_MONOTONIC now, in nanoseconds: the clock the probe and the exec
// stamp note times with, so that their logs and the tests' own readings
// compare directly.
inline std::int64_t monotonic_ns() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}
