// SPDX-License-Identifier: MIT
// How the windowed executable ends: an Escape tap or a stop signal. (Start-up
// failures: reliability_startup_test.cpp.)
#include "flight_checks.h"
#include "harness.h"
#include "probe_output.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

using namespace e2e;

namespace {

constexpr Millis START_TIMEOUT{20000};
constexpr Millis END_TIMEOUT{5000};
// Frames that may still be drawn once a tap has reached the X server.
constexpr std::size_t FEW_FRAMES = 5;

// Starts the flight with the probe and waits until it has swapped a few
// frames, so that its window is up and the frame loop is running.
void start_flying(Session& session, Sdl sdl) {
    start_program(session, built().windowed, probe_env(session, sdl_env(sdl)));
    ASSERT_TRUE(wait_for_frames(session, 3, START_TIMEOUT)) << "the flight did not start";
}

} // namespace

// On both SDL 1.2 implementations.
class EndingOn : public OnSdl {};

// Every time, and within a few frames while the pointer races over the
// window, hundreds of motion events a second.
TEST_P(EndingOn, AnEscapeTapEndsTheFlightEveryTimeWithinAFewFramesWhileThePointerMoves) {
    Session session;
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        start_flying(session, GetParam());
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
        const std::size_t before = read_swap_log(swap_log(session)).size();
        const std::optional<Ended> ended = wait_end(session, END_TIMEOUT);
        pointer.join();
        ASSERT_TRUE(tapped);
        ASSERT_TRUE(ended.has_value()) << "an Escape tap was missed";
        EXPECT_TRUE(ended->exited && ended->status == 0) << describe(*ended);
        EXPECT_LE(read_swap_log(swap_log(session)).size(), before + FEW_FRAMES);
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
            start_program(session, built().windowed, probe_env(session, sdl_env(GetParam())),
                          ignored_by_parent ? std::vector<int>{signal} : std::vector<int>{});
            ASSERT_TRUE(wait_for_frames(session, 3, START_TIMEOUT)) << "the flight did not start";
            const std::size_t before = read_swap_log(swap_log(session)).size();
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

INSTANTIATE_TEST_SUITE_P(BothSdls, EndingOn, BOTH_SDLS, sdl_name);
