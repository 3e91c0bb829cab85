// SPDX-License-Identifier: MIT
// The windowed executable holds the 16 ms frame floor itself, on both SDL
// 1.2 implementations. Its verdict depends on how busy the machine is, so
// it runs in the suite and the installed package's tests, not in a build.
#include "flight_checks.h"
#include "harness.h"
#include "probe_output.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

constexpr Millis START_TIMEOUT{20000};
constexpr std::size_t JUDGED_FRAMES = 120;
constexpr int ROUNDS = 5;

} // namespace

class Pace : public OnSdl {};

TEST_P(Pace, HoldsTheFrameFloorInAWindow) {
    Session session;
    start_program(session, built().windowed, probe_env(session, sdl_env(GetParam())));
    ASSERT_TRUE(wait_for_frames(session, JUDGED_FRAMES + 1, START_TIMEOUT))
        << "the flight did not start";
    const std::size_t judged_from =
        watch_until_floor_held(session, JUDGED_FRAMES, ROUNDS, START_TIMEOUT);
    expect_escape_ends_flight(session);
    const std::vector<SwapRecord> swaps = read_swap_log(swap_log(session));
    expect_floor_held({swaps.begin() + static_cast<long>(judged_from), swaps.end()});
}

INSTANTIATE_TEST_SUITE_P(BothSdls, Pace, BOTH_SDLS, sdl_name);
