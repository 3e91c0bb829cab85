// SPDX-License-Identifier: MIT
// One run of the windowed executable, watched from start-up to Escape.
// Whether it holds the frame floor itself: pace_e2e_test.cpp.
#include "flight_checks.h"
#include "harness.h"
#include "probe_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

using namespace e2e;

namespace {

constexpr Millis START_TIMEOUT{20000};
constexpr Millis STEP_TIMEOUT{20000}; // only reached when something is wrong
constexpr std::size_t PACED_FRAMES = 120;

std::size_t frames_swapped(const Session& session) {
    return read_swap_log(swap_log(session)).size();
}

} // namespace

class Flight : public OnSdl {};

TEST_P(Flight, OpensCaptionsWarpsIgnoresOtherInputKeepsPaceAndEndsOnEscape) {
    Session session;
    // The probe stops the first frame before its swap until the test lets
    // it go, so that the start-up state can be read while it lasts.
    const std::string hold = scratch(session, "hold-first-swap");
    Env env = sdl_env(GetParam());
    env.emplace_back("TUBEFLIGHT_PROBE_HOLD_FIRST_SWAP", hold);
    start_program(session, built().windowed, probe_env(session, env));
    ASSERT_TRUE(wait_until([&] { return file_exists(hold); }, START_TIMEOUT))
        << "the first frame was never drawn";
    const std::optional<WindowId> window = find_window(session, STEP_TIMEOUT);
    ASSERT_TRUE(window.has_value());

    // Start-up, during the first frame.
    expect_runs_on(session, GetParam());
    EXPECT_EQ(window_name(session, *window), "Sdl Test");
    expect_display_window_with_centred_pointer(session, *window);
    EXPECT_EQ(sdl_calls(session, {"SDL_Init", "SDL_SetVideoMode"}),
              "SDL_Init 0x0000ffff ok\nSDL_SetVideoMode 640 480 32 0x40000003 ok\n");

    // The end of the first frame sets the title line.
    std::remove(hold.c_str());
    EXPECT_TRUE(wait_until([&] { return window_name(session, *window) == TITLE; }, STEP_TIMEOUT))
        << "caption: " << window_name(session, *window);

    // A close request, mouse input and keys other than Escape change nothing,
    // and the pointer, centred once at start-up, stays where it was moved.
    const Geometry geometry = window_geometry(session, *window);
    ASSERT_TRUE(send_close_request(session, *window));
    ASSERT_TRUE(xdotool(session, {"click", "1"}));
    ASSERT_TRUE(xdotool(session, {"click", "3"}));
    ASSERT_TRUE(xdotool(session, {"mousemove_relative", "--", "-40", "25"}));
    ASSERT_TRUE(xdotool(session, {"key", "q", "space", "Return", "x", "F4", "alt+F4"}));
    const std::size_t after_input = frames_swapped(session);
    EXPECT_TRUE(wait_for_frames(session, std::max(after_input + 30, PACED_FRAMES), STEP_TIMEOUT));
    ASSERT_TRUE(running(session));
    EXPECT_EQ(window_name(session, *window), TITLE);
    const Point pointer = pointer_position(session);
    EXPECT_EQ(pointer.x - geometry.x, 320 - 40);
    EXPECT_EQ(pointer.y - geometry.y, 240 + 25);

    // Escape held down for 100 ms ends it with status 0, SDL shut down.
    expect_escape_ends_flight(session);
    const std::vector<SwapRecord> swaps = read_swap_log(swap_log(session));
    EXPECT_GE(swaps.size(), PACED_FRAMES);
    // The caption: "Sdl Test" at start-up, then the title line at the end of
    // every frame, the icon title empty each time.
    std::istringstream captions(sdl_calls(session, {"SDL_WM_SetCaption"}));
    std::size_t calls = 0;
    for (std::string line; std::getline(captions, line); ++calls) {
        ASSERT_EQ(line,
                  "SDL_WM_SetCaption \"" + std::string(calls == 0 ? "Sdl Test" : TITLE) + "\" \"\"")
            << "call " << calls + 1;
    }
    EXPECT_EQ(calls, swaps.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(BothSdls, Flight, BOTH_SDLS, sdl_name);
