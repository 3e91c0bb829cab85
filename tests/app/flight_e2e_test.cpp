// SPDX-License-Identifier: MIT
// The executables flown from start-up to their end: the windowed flight
// watched, its ends, its frames, the full-screen flight, and what each takes
// from how it is started. (The frame floor: machine_e2e_test.cpp; start-up
// failures: reliability_test.cpp.)
#include "harness.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

using namespace e2e;

namespace {

constexpr std::size_t PACED_FRAMES = 120;
// Frames that may still be drawn once a tap has reached the X server.
constexpr std::size_t FEW_FRAMES = 5;
constexpr long LAP = 360;
// Rasterisation may round the two channels of one interpolated colour apart.
constexpr int RED_GREEN_TOLERANCE = 2;

bool near(const std::uint8_t* p, int r, int g, int b) {
    constexpr int CLOSE = 24;
    return std::abs(p[0] - r) <= CLOSE && std::abs(p[1] - g) <= CLOSE &&
           std::abs(p[2] - b) <= CLOSE;
}

struct Start {
    const char* name;
    bool fullscreen;
    std::vector<std::string> args;
    const char* user_scaling; // nullptr: not set
    const char* scaling_seen; // SDL12COMPAT_OPENGL_SCALING as SDL starts
};

const Start STARTS[] = {
    {"windowed", false, {}, nullptr, "0"},
    {"windowed_user_value_and_arguments", false, {"-fullscreen", "--help", "x"}, "1", "1"},
    {"fullscreen", true, {}, nullptr, "unset"},
    {"fullscreen_user_value_and_arguments", true, {"-window", "-h"}, "0", "0"},
};

void PrintTo(const Start& start, std::ostream* out) {
    *out << start.name;
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
    const std::optional<WindowId> window = find_window(session, START_TIMEOUT);
    ASSERT_TRUE(window.has_value());

    // Start-up, during the first frame.
    expect_runs_on(session, GetParam());
    EXPECT_EQ(window_name(session, *window), "Sdl Test");
    expect_display_window_with_centred_pointer(session, *window);
    EXPECT_EQ(sdl_calls(session, {"SDL_Init", "SDL_SetVideoMode"}), STARTED_WINDOWED);

    // The end of the first frame sets the title line.
    std::remove(hold.c_str());
    EXPECT_TRUE(wait_until([&] { return window_name(session, *window) == TITLE; }, START_TIMEOUT))
        << "caption: " << window_name(session, *window);

    // A close request, mouse input and keys other than Escape change nothing,
    // and the pointer, centred once at start-up, stays where it was moved.
    const Geometry geometry = window_geometry(session, *window);
    ASSERT_TRUE(send_close_request(session, *window));
    ASSERT_TRUE(xdotool(session, {"click", "1"}));
    ASSERT_TRUE(xdotool(session, {"click", "3"}));
    ASSERT_TRUE(xdotool(session, {"mousemove_relative", "--", "-40", "25"}));
    ASSERT_TRUE(xdotool(session, {"key", "q", "space", "Return", "x", "F4", "alt+F4"}));
    const std::size_t after_input = swaps_logged(session);
    EXPECT_TRUE(wait_for_frames(session, std::max(after_input + 30, PACED_FRAMES), START_TIMEOUT));
    ASSERT_TRUE(running(session));
    EXPECT_EQ(window_name(session, *window), TITLE);
    const Point pointer = pointer_position(session);
    EXPECT_EQ(pointer.x - geometry.x, 320 - 40);
    EXPECT_EQ(pointer.y - geometry.y, 240 + 25);

    // Escape held down for 100 ms ends it with status 0, SDL shut down.
    expect_escape_ends_flight(session);
    const std::size_t swaps = swaps_logged(session);
    EXPECT_GE(swaps, PACED_FRAMES);
    // The caption: "Sdl Test" at start-up, then the title line at the end of
    // every frame, the icon title empty each time.
    std::istringstream captions(sdl_calls(session, {"SDL_WM_SetCaption"}));
    std::size_t calls = 0;
    for (std::string line; std::getline(captions, line); ++calls) {
        ASSERT_EQ(line,
                  "SDL_WM_SetCaption \"" + std::string(calls == 0 ? "Sdl Test" : TITLE) + "\" \"\"")
            << "call " << calls + 1;
    }
    EXPECT_EQ(calls, swaps + 1);
}

INSTANTIATE_TEST_SUITE_P(BothSdls, Flight, BOTH_SDLS, testing::PrintToStringParamName());

// How the windowed executable ends, on both SDL 1.2 implementations.
class EndingOn : public OnSdl {};

// Every time, and within a few frames while the pointer races over the
// window, hundreds of motion events a second.
TEST_P(EndingOn, AnEscapeTapEndsTheFlightEveryTimeWithinAFewFramesWhileThePointerMoves) {
    Session session;
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ASSERT_TRUE(start_flying(session, built().windowed, sdl_env(GetParam()), 3));
        const std::optional<WindowId> window = find_window(session, START_TIMEOUT);
        ASSERT_TRUE(window.has_value());
        std::vector<std::string> moves;
        for (int i = 0; i < 400; ++i) {
            moves.insert(moves.end(), {"mousemove", "--window", std::to_string(*window),
                                       std::to_string(20 + i * 37 % 600),
                                       std::to_string(20 + i * 29 % 440), "sleep", "0.002"});
        }
        std::thread pointer([&] { xdotool(session, moves); });
        std::this_thread::sleep_for(Millis{300});
        // Press and release arrive together, within one frame.
        const bool tapped = xdotool(session, {"key", "--delay", "0", "Escape"});
        const std::size_t before = swaps_logged(session);
        const std::optional<Ended> ended = wait_end(session, Millis{5000});
        pointer.join();
        ASSERT_TRUE(tapped);
        ASSERT_TRUE(ended.has_value()) << "an Escape tap was missed";
        EXPECT_TRUE(ended->exited && ended->status == 0) << describe(*ended);
        EXPECT_LE(swaps_logged(session), before + FEW_FRAMES);
        std::remove(swap_log(session).c_str());
    }
}

// A stop signal ends the flight at the bottom of a frame, SDL shut down,
// and the process then ends by that signal. A signal that the parent left
// ignored stays ignored: the flight flies on and Escape still ends it.
TEST_P(EndingOn, StopSignalsEndTheFlightAfterSdlIsShutDownUnlessTheParentIgnoresThem) {
    Session session;
    for (const bool ignored_by_parent : {false, true}) {
        for (const int signal : {SIGHUP, SIGINT, SIGTERM}) {
            SCOPED_TRACE(std::string(strsignal(signal)) +
                         (ignored_by_parent ? ", ignored by the parent" : ""));
            for (const std::string& log : {swap_log(session), calls_log(session)}) {
                std::remove(log.c_str());
            }
            ASSERT_TRUE(
                start_flying(session, built().windowed, sdl_env(GetParam()), 3, {},
                             ignored_by_parent ? std::vector<int>{signal} : std::vector<int>{}));
            const std::size_t before = swaps_logged(session);
            send_signal(session, signal);
            if (ignored_by_parent) {
                EXPECT_TRUE(wait_for_frames(session, before + 10, START_TIMEOUT));
                ASSERT_TRUE(running(session)) << "an ignored signal ended the flight";
                expect_escape_ends_flight(session);
                continue;
            }
            const std::optional<Ended> ended = wait_end(session, Millis{1000});
            ASSERT_TRUE(ended.has_value()) << "still running a second after the signal";
            EXPECT_FALSE(ended->exited) << describe(*ended);
            EXPECT_EQ(ended->signal, signal) << describe(*ended);
            EXPECT_EQ(sdl_quit_calls(session), 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothSdls, EndingOn, BOTH_SDLS, testing::PrintToStringParamName());

// Frames read back from the windowed executable while it flies.
TEST(Frames, TheLapClosesFramesMoveAndOnlyTubeColoursAreDrawn) {
    Session session;
    const std::vector<long> captured{10, 11, 100, 190, 280, 10 + LAP};
    const std::map<long, Image> images = fly_and_capture(session, built().windowed, captured);
    ASSERT_EQ(images.size(), captured.size());

    for (const auto& [frame, image] : images) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        ASSERT_EQ(image.width, 640);
        ASSERT_EQ(image.height, 480);
        // The vertex colours clamp to black, white, blue and yellow: red
        // always equals green, and smooth shading keeps it so. The eye is
        // inside the tube, so the tube fills the view and the black clear
        // colour shows almost nowhere; all four colours appear.
        const std::size_t pixels = image.rgb.size() / 3;
        std::size_t black = 0;
        std::size_t red_green_apart = 0;
        bool white = false;
        bool blue = false;
        bool yellow = false;
        for (const std::uint8_t* p = image.rgb.data(); p < image.rgb.data() + image.rgb.size();
             p += 3) {
            red_green_apart += std::abs(p[0] - p[1]) > RED_GREEN_TOLERANCE ? 1 : 0;
            black += near(p, 0, 0, 0) ? 1 : 0;
            white = white || near(p, 255, 255, 255);
            blue = blue || near(p, 0, 0, 255);
            yellow = yellow || near(p, 255, 255, 0);
        }
        EXPECT_EQ(red_green_apart, 0u);
        EXPECT_LT(black, pixels / 10);
        EXPECT_TRUE(white && blue && yellow)
            << "white " << white << ", blue " << blue << ", yellow " << yellow;
    }

    // One lap later the camera is back where it was, to the bit, and not
    // before: half a lap on, the view is another.
    EXPECT_TRUE(images.at(10).rgb == images.at(10 + LAP).rgb);
    EXPECT_FALSE(images.at(10).rgb == images.at(10 + LAP / 2).rgb);
    // Each frame moves the camera on.
    std::size_t changed = 0;
    for (std::size_t i = 0; i < images.at(10).rgb.size(); ++i) {
        changed += images.at(10).rgb[i] != images.at(11).rgb[i] ? 1 : 0;
    }
    EXPECT_GT(changed, images.at(10).rgb.size() / 10);
}

TEST(Frames, ClassicSdlDrawsTheFramesOfSdl12Compat) {
    skip_unless_present(Sdl::classic);
    if (IsSkipped()) {
        return;
    }
    const std::vector<long> captured{10, 100, 250};
    std::map<long, Image> compat;
    {
        Session session;
        compat = fly_and_capture(session, built().windowed, captured);
    }
    Session session;
    const std::map<long, Image> classic =
        fly_and_capture(session, built().windowed, captured, sdl_env(Sdl::classic));
    ASSERT_EQ(compat.size(), captured.size());
    ASSERT_EQ(classic.size(), captured.size());
    for (const long frame : captured) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        const std::vector<std::uint8_t>& a = compat.at(frame).rgb;
        const std::vector<std::uint8_t>& b = classic.at(frame).rgb;
        ASSERT_EQ(a.size(), b.size());
        std::size_t differing = 0;
        int largest = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const int difference = std::abs(a[i] - b[i]);
            differing += difference > 0 ? 1 : 0;
            largest = std::max(largest, difference);
        }
        // Both draw with the same Mesa; the visuals they pick may still
        // round a few colour values differently.
        EXPECT_LE(largest, 2);
        EXPECT_LT(differing, a.size() / 100);
    }
}

// The full-screen executable: the same flight, asked for in full screen.
class Fullscreen : public OnSdl {};

TEST_P(Fullscreen, AsksForFullScreenFliesPacedAndEndsOnEscape) {
    Session session;
    ASSERT_TRUE(start_flying(session, built().fullscreen, sdl_env(GetParam()), 60));
    expect_runs_on(session, GetParam());
    EXPECT_EQ(sdl_calls(session, {"SDL_Init", "SDL_SetVideoMode"}), STARTED_FULLSCREEN);
    const std::optional<WindowId> window = find_window(session, Millis{5000});
    ASSERT_TRUE(window.has_value());
    EXPECT_EQ(window_name(session, *window), TITLE);

    expect_escape_ends_flight(session);
}

INSTANTIATE_TEST_SUITE_P(BothSdls, Fullscreen, BOTH_SDLS, testing::PrintToStringParamName());

// What each executable takes from how it is started: the command line is
// ignored, and sdl12-compat's scaling is as the build wants it (off in a
// window, the default in full screen) unless the user has set it.
class Started : public testing::TestWithParam<Start> {};

TEST_P(Started, IgnoresTheCommandLineAndKeepsTheUsersScalingSetting) {
    const Start& start = GetParam();
    unsetenv("SDL12COMPAT_OPENGL_SCALING"); // whatever ran the tests set
    Session session;
    Env env = sdl_env(Sdl::compat);
    if (start.user_scaling != nullptr) {
        env.emplace_back("SDL12COMPAT_OPENGL_SCALING", start.user_scaling);
    }
    ASSERT_TRUE(start_flying(session, start.fullscreen ? built().fullscreen : built().windowed, env,
                             10, start.args));

    EXPECT_EQ(sdl_calls(session, {"scaling"}), "scaling " + std::string(start.scaling_seen) + "\n");
    EXPECT_EQ(sdl_calls(session, {"SDL_Init", "SDL_SetVideoMode"}),
              start.fullscreen ? STARTED_FULLSCREEN : STARTED_WINDOWED);
    expect_escape_ends_flight(session);
}

INSTANTIATE_TEST_SUITE_P(Sdl12Compat, Started, testing::ValuesIn(STARTS),
                         testing::PrintToStringParamName());
