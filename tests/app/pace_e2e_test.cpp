// SPDX-License-Identifier: MIT
// The windowed executable holds the 16 ms frame floor itself, on both SDL
// 1.2 implementations. Its verdict depends on how busy the machine is, so
// it runs in the suite and the installed package's tests, not in a build.
#include "flight_checks.h"

using namespace e2e;

class Pace : public OnSdl {};

TEST_P(Pace, HoldsTheFrameFloorInAWindow) {
    constexpr std::size_t JUDGED_FRAMES = 120;
    Session session;
    ASSERT_TRUE(start_flying(session, built().windowed, sdl_env(GetParam()), JUDGED_FRAMES + 1));
    const std::size_t judged_from =
        watch_until_floor_held(session, JUDGED_FRAMES, 5, START_TIMEOUT);
    expect_escape_ends_flight(session);
    const std::vector<SwapRecord> swaps = read_swap_log(swap_log(session));
    expect_floor_held({swaps.begin() + static_cast<long>(judged_from), swaps.end()});
}

INSTANTIATE_TEST_SUITE_P(BothSdls, Pace, BOTH_SDLS, sdl_name);
