// The full-screen executable: the same flight, asked for in full screen.
#include "app/flight.h"
#include "flight_checks.h"
#include "harness.h"
#include "probe_output.h"

#include <gtest/gtest.h>

using namespace e2e;

TEST(Fullscreen, AsksForFullScreenFliesPacedAndEndsOnEscape) {
    Session session;
    start_program(session, built().fullscreen, probe_env(session));
    ASSERT_TRUE(wait_for_frames(session, 60, Millis{20000})) << "the flight did not start";
    EXPECT_EQ(read_file(mode_log(session)), "640 480 32 0xc0000003 ok\n");
    const std::optional<WindowId> window = find_window(session, Millis{5000});
    ASSERT_TRUE(window.has_value());
    EXPECT_EQ(window_name(session, *window), TITLE_LINE);

    expect_escape_ends_flight(session);
}
