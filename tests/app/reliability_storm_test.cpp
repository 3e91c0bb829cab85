// The windowed executable under a storm of input it must ignore: pointer
// motion, button presses, keys other than Escape and window-close requests,
// hundreds of events a second for five seconds and at least 2500 in all. It
// keeps flying at the pace it keeps when calm, just before and just after,
// and Escape still ends it.
#include "flight_checks.h"
#include "harness.h"
#include "monotonic_clock.h"
#include "probe_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace e2e;

namespace {

constexpr Millis START_TIMEOUT{20000};
constexpr Millis END_TIMEOUT{3000};
constexpr std::size_t WARM_UP_FRAMES = 30;
// Calm on both sides of the storm, so that a slow change in what else the
// machine does weighs on the calm median as much as on the storm's.
constexpr Millis CALM_EACH_SIDE{2500};
constexpr Millis STORM{5000};
// A storm is a run of batches. Each batch is one xdotool run that spreads
// about a hundred X input events over some 100 ms, a few between pauses of
// GROUP_PAUSE, so that most frames have input to drain and not only a few
// frames bursts of it; then one close request. That makes 600 to 900
// events a second on a quiet machine, fewer on a busy one.
constexpr int GROUPS = 25;
constexpr const char* GROUP_PAUSE = "0.004"; // seconds, as xdotool's sleep takes it
// The storm lasts STORM and, on a machine too busy to send them in that
// time, longer: until at least this many events (500 a second over STORM)
// have been sent.
constexpr long MIN_STORM_EVENTS = 2500;
// Frames swap right after a tick of SDL's millisecond clock, so intervals
// are whole milliseconds give or take a few microseconds: "within 1 ms" is
// at most one tick apart.
constexpr std::int64_t MEDIAN_TOLERANCE_NS = 1'500'000;

struct Span {
    std::int64_t from = 0; // CLOCK_MONOTONIC, as the probe logs swaps
    std::int64_t to = 0;
};

// Median of the frame intervals (swap start to swap start) and of the swap
// durations, over the pairs of swaps that both started within one of
// `spans`.
struct Medians {
    std::int64_t interval = 0;
    std::int64_t swap = 0;
};

std::int64_t median(std::vector<std::int64_t> values) {
    if (values.empty()) {
        return 0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

Medians medians(const std::vector<SwapRecord>& swaps, const std::vector<Span>& spans) {
    std::vector<std::int64_t> intervals;
    std::vector<std::int64_t> durations;
    for (std::size_t i = 1; i < swaps.size(); ++i) {
        for (const Span& span : spans) {
            if (swaps[i - 1].start_ns >= span.from && swaps[i].start_ns <= span.to) {
                intervals.push_back(swaps[i].start_ns - swaps[i - 1].start_ns);
                durations.push_back(swaps[i - 1].swap_ns);
            }
        }
    }
    return {median(intervals), median(durations)};
}

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

// The calm counterpart of a storm batch: the same two X clients for as
// long, asking the server questions instead of sending input. On a virtual
// machine the mere coming and going of processes changes how fast the
// renderer's threads are woken, by a few milliseconds a frame; calm and
// storm must differ in the input alone.
void calm_batch(const Session& session, WindowId window, std::vector<std::string>& args) {
    args.clear();
    for (int i = 0; i < GROUPS; ++i) {
        args.insert(args.end(), {"getmouselocation", "sleep", GROUP_PAUSE});
    }
    xdotool(session, args);
    xdotool(session, {"getwindowname", std::to_string(window)});
}

struct Storm {
    long events = 0;
    int close_requests = 0;

    long sent() const { return events + close_requests; }
};

// Runs `batch` again and again for `length`, and after that for as long as
// `more` holds.
template <typename Batch, typename More> void repeat_for(Millis length, Batch batch, More more) {
    const auto end = std::chrono::steady_clock::now() + length;
    while (std::chrono::steady_clock::now() < end || more()) {
        batch();
    }
}

template <typename Batch> void repeat_for(Millis length, Batch batch) {
    repeat_for(length, batch, [] { return false; });
}

} // namespace

TEST(InputStorm, KeepsThePaceAndStillEndsOnEscape) {
    Session session;
    start_program(session, built().windowed, probe_env(session));
    const std::optional<WindowId> window = find_window(session, START_TIMEOUT);
    ASSERT_TRUE(window.has_value()) << "no window";
    ASSERT_TRUE(wait_until(
        [&] { return read_swap_log(swap_log(session)).size() >= WARM_UP_FRAMES; }, START_TIMEOUT))
        << "the flight did not start";

    std::vector<std::string> args;
    const auto calm = [&] { calm_batch(session, *window, args); };
    Storm storm;
    bool delivered = true;
    const auto rage = [&] {
        const int events = storm_batch(*window, storm.close_requests, args);
        delivered = xdotool(session, args) && delivered;
        storm.events += events;
        delivered = send_close_request(session, *window) && delivered;
        ++storm.close_requests;
    };

    const std::int64_t calm_before = monotonic_ns();
    repeat_for(CALM_EACH_SIDE, calm);
    const std::int64_t storm_from = monotonic_ns();
    repeat_for(STORM, rage, [&] { return storm.sent() < MIN_STORM_EVENTS; });
    const std::int64_t storm_to = monotonic_ns();
    repeat_for(CALM_EACH_SIDE, calm);
    const std::int64_t calm_after = monotonic_ns();

    EXPECT_TRUE(delivered) << "xdotool or the close request failed";
    const double storm_seconds = static_cast<double>(storm_to - storm_from) / 1e9;
    const double storm_rate = storm.sent() / storm_seconds;

    ASSERT_TRUE(running(session)) << "the storm ended the flight";
    EXPECT_EQ(find_window(session, Millis{1000}), window) << "the window went away";

    // Escape held down, the pointer in the window, until the program has gone.
    ASSERT_TRUE(xdotool(session, {"mousemove", "--window", std::to_string(*window), "320", "240",
                                  "keydown", "Escape"}));
    const std::optional<Ended> ended = wait_end(session, END_TIMEOUT);
    xdotool(session, {"keyup", "Escape"});
    ASSERT_TRUE(ended.has_value()) << "still running after Escape";
    EXPECT_TRUE(ended->exited && ended->status == 0) << describe(*ended);
    EXPECT_EQ(sdl_quit_calls(session), 1);
    expect_silent(session);

    const std::vector<SwapRecord> swaps = read_swap_log(swap_log(session));
    expect_paced(swaps);
    const Medians quiet = medians(swaps, {{calm_before, storm_from}, {storm_to, calm_after}});
    const Medians stormy = medians(swaps, {{storm_from, storm_to}});
    ASSERT_GT(quiet.interval, 0);
    ASSERT_GT(stormy.interval, 0);
    EXPECT_NEAR(static_cast<double>(stormy.interval), static_cast<double>(quiet.interval),
                MEDIAN_TOLERANCE_NS)
        << "median frame interval " << quiet.interval / 1000 << " us calm, "
        << stormy.interval / 1000 << " us in the storm; median swap " << quiet.swap / 1000
        << " us calm, " << stormy.swap / 1000 << " us in the storm (" << storm.events
        << " input events and " << storm.close_requests << " close requests in " << storm_seconds
        << " s, " << storm_rate << " a second)";
    RecordProperty("calm_median_interval_us", static_cast<int>(quiet.interval / 1000));
    RecordProperty("storm_median_interval_us", static_cast<int>(stormy.interval / 1000));
    RecordProperty("storm_events", static_cast<int>(storm.sent()));
    RecordProperty("storm_ms", static_cast<int>(storm_seconds * 1000));
    RecordProperty("storm_events_per_s", static_cast<int>(storm_rate));
}
