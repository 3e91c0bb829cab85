// SPDX-License-Identifier: MIT
// The windowed executable under a storm of input it must ignore: pointer
// motion, button presses, keys other than Escape and window-close requests,
// thousands of events in a few seconds (the storm of scripts/lib/storm.sh).
// The flight flies on in its window and Escape still ends it. (How the
// storm weighs on the frame rate is measured by scripts/bench, not here.)
#include "flight_checks.h"
#include "harness.h"
#include "probe_output.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

constexpr Millis START_TIMEOUT{20000};
constexpr std::size_t WARM_UP_FRAMES = 30;
constexpr const char* MIN_STORM_EVENTS = "2500";

} // namespace

TEST(InputStorm, ThousandsOfEventsAndCloseRequestsChangeNothingAndEscapeStillEnds) {
    Session session;
    start_program(session, built().windowed, probe_env(session));
    const std::optional<WindowId> window = find_window(session, START_TIMEOUT);
    ASSERT_TRUE(window.has_value()) << "no window";
    ASSERT_TRUE(wait_for_frames(session, WARM_UP_FRAMES, START_TIMEOUT))
        << "the flight did not start";
    const std::size_t before = read_swap_log(swap_log(session)).size();

    EXPECT_TRUE(
        x_client(session, {"bash", "-c", "source \"$0\" && storm \"$@\"", built().storm,
                           std::to_string(*window), built().send_wm_delete, "0", MIN_STORM_EVENTS}))
        << "xdotool or the close request failed";

    ASSERT_TRUE(running(session)) << "the storm ended the flight";
    EXPECT_EQ(find_window(session, Millis{1000}), window) << "the window went away";
    EXPECT_EQ(window_name(session, *window), TITLE);
    const Geometry geometry = window_geometry(session, *window);
    EXPECT_EQ(geometry.width, 640);
    EXPECT_EQ(geometry.height, 480);
    EXPECT_TRUE(wait_for_frames(session, before + 60, START_TIMEOUT))
        << "the flight stopped flying in the storm";

    // The storm left the pointer in the window, where Escape goes.
    expect_escape_ends_flight(session);
}
