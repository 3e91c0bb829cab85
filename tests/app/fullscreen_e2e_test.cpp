// SPDX-License-Identifier: MIT
// The full-screen executable: the same flight, asked for in full screen.
#include "flight_checks.h"
#include "harness.h"
#include "probe_output.h"

#include <gtest/gtest.h>

using namespace e2e;

class Fullscreen : public OnSdl {};

TEST_P(Fullscreen, AsksForFullScreenFliesPacedAndEndsOnEscape) {
    Session session;
    start_program(session, built().fullscreen, probe_env(session, sdl_env(GetParam())));
    ASSERT_TRUE(wait_for_frames(session, 60, Millis{20000})) << "the flight did not start";
    expect_runs_on(session, GetParam());
    EXPECT_EQ(sdl_calls(session, {"SDL_Init", "SDL_SetVideoMode"}),
              "SDL_Init 0x0000ffff ok\nSDL_SetVideoMode 640 480 32 0xc0000003 ok\n");
    const std::optional<WindowId> window = find_window(session, Millis{5000});
    ASSERT_TRUE(window.has_value());
    EXPECT_EQ(window_name(session, *window), TITLE);

    expect_escape_ends_flight(session);
}

INSTANTIATE_TEST_SUITE_P(BothSdls, Fullscreen, BOTH_SDLS, sdl_name);
