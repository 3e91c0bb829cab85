// SPDX-License-Identifier: MIT
// The windowed executable under a storm of input it must ignore: pointer
// motion, button presses, keys other than Escape and window-close requests,
// thousands of events in a few seconds. The flight flies on in its window
// and Escape still ends it. (How the storm weighs on the frame rate is
// measured by scripts/bench, not here.)
#include "flight_checks.h"
#include "harness.h"
#include "probe_output.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

constexpr Millis START_TIMEOUT{20000};
constexpr std::size_t WARM_UP_FRAMES = 30;
// A storm is a run of batches. Each batch is one xdotool run that spreads
// about a hundred X input events over some 100 ms, a few between pauses of
// GROUP_PAUSE, so that most frames have input to drain and not only a few
// frames bursts of it; then one close request.
constexpr int GROUPS = 25;
constexpr const char* GROUP_PAUSE = "0.004"; // seconds, as xdotool's sleep takes it
constexpr long MIN_STORM_EVENTS = 2500;

// One xdotool command line of pointer moves inside the window, presses and
// releases of the three buttons and the wheel, and keys other than Escape
// (modifiers alone, letters, function and cursor keys), in small groups with
// pauses between them. Returns how many X input events it makes.
int storm_batch(WindowId window, int round, std::vector<std::string>& args) {
    static const char* const KEYS[] = {"a",    "q",   "space", "Return",    "Tab",
                                       "F1",   "F12", "Left",  "Up",        "shift",
                                       "ctrl", "alt", "super", "BackSpace", "Delete"};
    args.clear();
    int events = 0;
    for (int i = 0; i < GROUPS; ++i) {
        const int x = 20 + (round * 37 + i * 53) % 600;
        const int y = 20 + (round * 29 + i * 41) % 440;
        args.insert(args.end(), {"mousemove", "--window", std::to_string(window), std::to_string(x),
                                 std::to_string(y)});
        args.insert(args.end(),
                    {"key", "--delay", "0", KEYS[(round * GROUPS + i) % std::size(KEYS)]});
        events += 3;
        if (i % 2 == 0) {
            const std::string button = std::to_string(1 + (round + i / 2) % 5); // 4, 5: wheel
            args.insert(args.end(), {"mousedown", button, "mouseup", button});
            events += 2;
        }
        args.insert(args.end(), {"sleep", GROUP_PAUSE});
    }
    return events;
}

struct Storm {
    long events = 0;
    int close_requests = 0;

    long sent() const { return events + close_requests; }
};

} // namespace

TEST(InputStorm, ThousandsOfEventsAndCloseRequestsChangeNothingAndEscapeStillEnds) {
    Session session;
    start_program(session, built().windowed, probe_env(session));
    const std::optional<WindowId> window = find_window(session, START_TIMEOUT);
    ASSERT_TRUE(window.has_value()) << "no window";
    ASSERT_TRUE(wait_for_frames(session, WARM_UP_FRAMES, START_TIMEOUT))
        << "the flight did not start";
    const std::size_t before = read_swap_log(swap_log(session)).size();

    std::vector<std::string> args;
    Storm storm;
    bool delivered = true;
    while (storm.sent() < MIN_STORM_EVENTS) {
        storm.events += storm_batch(*window, storm.close_requests, args);
        delivered = xdotool(session, args) && delivered;
        delivered = send_close_request(session, *window) && delivered;
        ++storm.close_requests;
    }
    EXPECT_TRUE(delivered) << "xdotool or the close request failed";

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
    RecordProperty("storm_events", static_cast<int>(storm.sent()));
}
