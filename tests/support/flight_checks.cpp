// SPDX-License-Identifier: MIT
#include "harness.h"

#include <algorithm>
#include <csignal>
#include <sstream>
#include <thread>

namespace e2e {

namespace {

// Frame n + 1 reads SDL's millisecond clock at its top, after the real swap
// of frame n has returned, and swaps only once the clock shows 16 more. The
// clock is not a plain floor of the elapsed time: both SDL 1.2 and SDL 2
// compute (s - s0) * 1000 + (ns - ns0) / 1000000, and the nanosecond
// difference is negative for part of every second, where the division
// rounds up. A reading is thus within one millisecond either side of the
// true elapsed time, and 16 ticks can pass in just over 14 ms: that, not
// 16 ms, is what the end of one swap and the start of the next are always
// apart, however busy or idle the machine. SDL's clock may be
// CLOCK_MONOTONIC_RAW, which can run up to 500 ppm apart from the probe's
// CLOCK_MONOTONIC while NTP slews it: under 10 us here.
constexpr std::int64_t MIN_GAP_NS = 14'000'000 - 10'000;

// Frames start on a tick of that clock: a frame whose drawing and swap fit in
// the floor starts the next 16 ms after its own start, one whose swap spills
// past the tick 17 or more. On an idle machine nine frames in ten hold the
// floor; busy neighbours make many frames a tick or more late (the median
// goes to 17-19 ms) but mostly leave a quarter or more at the floor; a VM
// whose host steals a fifth of its time can leave under a tenth for seconds.
// A swap that costs a few milliseconds more, as sdl12-compat's scaling copy
// or a frame handed to the renderer only at the swap does, leaves at most
// one in a hundred there in every stretch.
// The Windows test (tests/windows/windows_test.py, check_rate) holds Wine's
// flight to the same share.
constexpr std::int64_t AT_FLOOR_BELOW_NS = 16'800'000;
constexpr double MIN_SHARE_AT_FLOOR = 0.1;

struct FloorShare {
    std::size_t at_floor = 0;
    std::size_t intervals = 0;
    std::int64_t median_ns = 0;
};

FloorShare floor_share(const std::vector<SwapRecord>& swaps) {
    std::vector<std::int64_t> intervals;
    for (std::size_t i = 1; i < swaps.size(); ++i) {
        intervals.push_back(swaps[i].start_ns - swaps[i - 1].start_ns);
    }
    if (intervals.empty()) {
        return {};
    }
    std::sort(intervals.begin(), intervals.end());
    const auto at_floor = static_cast<std::size_t>(
        std::lower_bound(intervals.begin(), intervals.end(), AT_FLOOR_BELOW_NS) -
        intervals.begin());
    return {at_floor, intervals.size(), intervals[intervals.size() / 2]};
}

bool floor_held(const FloorShare& share) {
    return share.at_floor >= MIN_SHARE_AT_FLOOR * share.intervals;
}

} // namespace

void expect_paced(const std::vector<SwapRecord>& swaps) {
    for (std::size_t i = 0; i < swaps.size(); ++i) {
        ASSERT_EQ(swaps[i].frame, static_cast<long>(i + 1)) << "swap log line " << i + 1;
        // The frame is handed to the renderer before the wait, not at the swap.
        ASSERT_EQ(swaps[i].flushes, 1) << "glFlush calls before the swap of frame " << i + 1;
    }
    std::size_t short_gaps = 0;
    std::string examples;
    for (std::size_t i = 1; i < swaps.size(); ++i) {
        const SwapRecord& before = swaps[i - 1];
        const std::int64_t gap = swaps[i].start_ns - (before.start_ns + before.swap_ns);
        if (gap <= MIN_GAP_NS) {
            if (++short_gaps <= 5) {
                examples += " frame " + std::to_string(swaps[i].frame) + ": " +
                            std::to_string(gap / 1000) + " us;";
            }
        }
    }
    EXPECT_EQ(short_gaps, 0u) << "frames that swapped less than " << MIN_GAP_NS / 1000
                              << " us after the previous swap ended:" << examples;
}

std::size_t watch_until_floor_held(const Session& session, std::size_t frames, int rounds,
                                   Millis timeout) {
    std::size_t from = 0;
    for (int round = 1; round <= rounds; ++round) {
        const std::vector<SwapRecord> swaps = read_swap_log(swap_log(session));
        from = swaps.size() > frames ? swaps.size() - frames : 0;
        const std::vector<SwapRecord> last(swaps.begin() + static_cast<long>(from), swaps.end());
        if (round == rounds || floor_held(floor_share(last)) ||
            !wait_for_frames(session, swaps.size() + frames, timeout)) {
            break;
        }
    }
    return from;
}

void expect_floor_held(const std::vector<SwapRecord>& swaps) {
    const FloorShare share = floor_share(swaps);
    ASSERT_GE(share.intervals, 100u);
    EXPECT_TRUE(floor_held(share))
        << share.at_floor << " of " << share.intervals << " frames started less than "
        << AT_FLOOR_BELOW_NS / 1000 << " us after the one before; median interval "
        << share.median_ns / 1000 << " us";
}

void expect_runs_on(const Session& session, Sdl sdl) {
    std::istringstream maps(read_file("/proc/" + std::to_string(session.program) + "/maps"));
    std::string line;
    bool classic = false;
    bool sdl2 = false;
    while (std::getline(maps, line)) {
        classic = classic ||
                  line.find(built().classic_sdl_libdir + "/libSDL-1.2.so.0") != std::string::npos;
        sdl2 = sdl2 || line.find("/libSDL2") != std::string::npos;
    }
    EXPECT_EQ(classic, sdl == Sdl::classic) << "classic SDL 1.2 from the build tree mapped";
    EXPECT_EQ(sdl2, sdl == Sdl::compat) << "SDL 2 (under sdl12-compat) mapped";
}

bool wait_for_frames(const Session& session, std::size_t count, Millis timeout) {
    return wait_until([&] { return swaps_logged(session) >= count; }, timeout);
}

std::size_t swaps_logged(const Session& session) {
    return read_swap_log(swap_log(session)).size();
}

testing::AssertionResult start_flying(Session& session, const std::string& exe, const Env& env,
                                      std::size_t frames, const std::vector<std::string>& args,
                                      const std::vector<int>& ignored) {
    start_program(session, exe, probe_env(session, env), ignored, args);
    if (wait_for_frames(session, frames, START_TIMEOUT)) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "the flight did not start";
}

void expect_display_window_with_centred_pointer(const Session& session, WindowId window) {
    const Geometry geometry = window_geometry(session, window);
    EXPECT_EQ(geometry.width, 640);
    EXPECT_EQ(geometry.height, 480);
    const Point pointer = pointer_position(session);
    EXPECT_EQ(pointer.x - geometry.x, 320);
    EXPECT_EQ(pointer.y - geometry.y, 240);
}

void expect_escape_ends_flight(Session& session) {
    ASSERT_TRUE(xdotool(session, {"keydown", "Escape"}));
    std::this_thread::sleep_for(Millis{100});
    xdotool(session, {"keyup", "Escape"});
    const std::optional<Ended> ended = wait_end(session, Millis{5000});
    ASSERT_TRUE(ended.has_value()) << "still running after Escape";
    EXPECT_TRUE(ended->exited && ended->status == 0) << describe(*ended);
    EXPECT_EQ(sdl_quit_calls(session), 1);
    expect_paced(read_swap_log(swap_log(session)));
}

std::string sdl_calls(const Session& session, const std::vector<std::string>& names) {
    std::istringstream lines(read_file(calls_log(session)));
    std::string line;
    std::string kept;
    while (std::getline(lines, line)) {
        if (std::find(names.begin(), names.end(), line.substr(0, line.find(' '))) != names.end()) {
            kept += line + "\n";
        }
    }
    return kept;
}

int sdl_quit_calls(const Session& session) {
    const std::string quits = sdl_calls(session, {"SDL_Quit"});
    return static_cast<int>(std::count(quits.begin(), quits.end(), '\n'));
}

std::map<long, Image> fly_and_capture(Session& session, const std::string& exe,
                                      const std::vector<long>& frames, const Env& extra) {
    std::string list;
    for (const long frame : frames) {
        list += (list.empty() ? "" : ",") + std::to_string(frame);
    }
    const long last = *std::max_element(frames.begin(), frames.end());
    Env env{{"TUBEFLIGHT_PROBE_FAST_TICKS", "1"},
            {"TUBEFLIGHT_PROBE_FRAMES", list},
            {"TUBEFLIGHT_PROBE_DIR", session.dir},
            {"TUBEFLIGHT_PROBE_STOP_AFTER", std::to_string(last)}};
    env.insert(env.end(), extra.begin(), extra.end());
    start_program(session, exe, probe_env(session, env));

    std::map<long, Image> images;
    const std::optional<Ended> ended = wait_end(session, Millis{60000});
    EXPECT_TRUE(ended.has_value()) << "the flight did not end after frame " << last;
    if (!ended) {
        return images;
    }
    EXPECT_EQ(ended->signal, SIGTERM) << describe(*ended);
    for (const long frame : frames) {
        if (std::optional<Image> image = read_ppm(scratch(session, frame_file(frame)))) {
            images[frame] = std::move(*image);
        } else {
            ADD_FAILURE() << "frame " << frame << " was not captured";
        }
    }
    return images;
}

void PrintTo(Sdl sdl, std::ostream* out) {
    *out << (sdl == Sdl::compat ? "sdl12_compat" : "classic_sdl");
}

Env sdl_env(Sdl sdl) {
    // Classic SDL opens ALSA's default device while probing audio drivers in
    // SDL_Init; on a machine without a sound card ALSA then prints "cannot
    // find card" to stderr. SDL_Init succeeds either way; the dummy driver
    // only keeps the process quiet.
    return sdl == Sdl::classic
               ? Env{{"LD_LIBRARY_PATH", built().classic_sdl_libdir}, {"SDL_AUDIODRIVER", "dummy"}}
               : Env{};
}

void skip_unless_present(Sdl sdl) {
    if (sdl == Sdl::classic && !file_exists(built().classic_sdl_libdir + "/libSDL-1.2.so.0")) {
        GTEST_SKIP() << "classic SDL 1.2.15 is not unpacked in the build tree: run "
                        "`scripts/fetch-classic-sdl " CLASSIC_SDL_DIR "`";
    }
}

} // namespace e2e
