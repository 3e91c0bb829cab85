// How the windowed executable ends: an Escape tap, a stop signal, or a
// start-up failure.
#include "flight_checks.h"
#include "harness.h"
#include "probe_output.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>

using namespace e2e;

namespace {

constexpr Millis START_TIMEOUT{20000};
constexpr Millis END_TIMEOUT{5000};

// Starts the flight with the probe and waits until it has swapped a few
// frames, so that its window is up and the frame loop is running.
void start_flying(Session& session, Sdl sdl) {
    start_program(session, built().windowed, probe_env(session, sdl_env(sdl)));
    ASSERT_TRUE(wait_for_frames(session, 3, START_TIMEOUT)) << "the flight did not start";
}

} // namespace

// On both SDL 1.2 implementations.
class EndingOn : public testing::TestWithParam<Sdl> {};

TEST_P(EndingOn, AnEscapeTapEndsTheFlightEveryTime) {
    Session session;
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        start_flying(session, GetParam());
        // Press and release arrive together, usually within one frame.
        ASSERT_TRUE(xdotool(session, {"key", "Escape"}));
        const std::optional<Ended> ended = wait_end(session, END_TIMEOUT);
        ASSERT_TRUE(ended.has_value()) << "an Escape tap was missed";
        EXPECT_TRUE(ended->exited && ended->status == 0) << describe(*ended);
        expect_silent(session);
        std::remove(swap_log(session).c_str());
    }
}

TEST_P(EndingOn, StopSignalsEndTheFlightBySignalAfterSdlIsShutDown) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        Session session;
        start_flying(session, GetParam());
        send_signal(session, signal);
        const std::optional<Ended> ended = wait_end(session, Millis{1000});
        ASSERT_TRUE(ended.has_value()) << "still running a second after the signal";
        EXPECT_FALSE(ended->exited) << describe(*ended);
        EXPECT_EQ(ended->signal, signal) << describe(*ended);
        EXPECT_EQ(sdl_quit_calls(session), 1);
        expect_silent(session);
    }
}

INSTANTIATE_TEST_SUITE_P(BothSdls, EndingOn, testing::Values(Sdl::compat, Sdl::classic),
                         [](const testing::TestParamInfo<Sdl>& info) {
                             return sdl_id(info.param);
                         });

struct StartupFailure {
    const char* name;
    const char* video_driver; // null: the usual one
    bool refuse_storage;      // large allocations of the program fail
    const char* video_modes;  // the probe's log of SDL_SetVideoMode
    bool sdl_quit_called;
};

// Status 1, nothing drawn, nothing printed. SDL_Quit runs when SDL itself
// came up, and not otherwise.
TEST(Ending, StartupFailuresEndWithStatusOneBeforeTheFirstFrame) {
    const StartupFailure failures[] = {
        {"no such video driver", "nonexistent", false, "", false},
        {"video driver without OpenGL", "dummy", false, "640 480 32 0x40000003 null\n", true},
        {"mesh storage refused", nullptr, true, "640 480 32 0x40000003 ok\n", true},
    };
    for (const StartupFailure& failure : failures) {
        SCOPED_TRACE(failure.name);
        Session session;
        const std::string refusals = scratch(session, "refusals.log");
        Env extra;
        if (failure.video_driver != nullptr) {
            extra.emplace_back("SDL_VIDEODRIVER", failure.video_driver);
        }
        if (failure.refuse_storage) {
            extra.emplace_back("LD_PRELOAD", built().probe + ":" + built().nomem);
            extra.emplace_back("TUBEFLIGHT_NOMEM_LOG", refusals);
        }
        start_program(session, built().windowed, probe_env(session, extra));
        const std::optional<Ended> ended = wait_end(session, START_TIMEOUT);
        ASSERT_TRUE(ended.has_value()) << "still running";
        EXPECT_TRUE(ended->exited && ended->status == 1) << describe(*ended);
        EXPECT_EQ(read_file(mode_log(session)), failure.video_modes);
        EXPECT_EQ(sdl_quit_calls(session), failure.sdl_quit_called ? 1 : 0);
        EXPECT_TRUE(read_swap_log(swap_log(session)).empty());
        expect_silent(session);
        if (failure.refuse_storage) {
            // Exactly one request was refused, the mesh's vertex array (4096
            // vertices of six floats): the program's own handler ended it.
            EXPECT_EQ(read_file(refusals), "refused 98304\n");
        }
    }
}
