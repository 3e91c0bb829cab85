// SPDX-License-Identifier: MIT
// What each executable takes from how it is started: the command line is
// ignored, and sdl12-compat's scaling is as the build wants it (off in a
// window, the default in full screen) unless the user has set it.
#include "flight_checks.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

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

class Started : public testing::TestWithParam<Start> {};

TEST_P(Started, IgnoresTheCommandLineAndKeepsTheUsersScalingSetting) {
    const Start& start = GetParam();
    unsetenv("SDL12COMPAT_OPENGL_SCALING"); // whatever ran the tests set
    Session session;
    Env env = sdl_env(Sdl::compat);
    if (start.user_scaling != nullptr) {
        env.emplace_back("SDL12COMPAT_OPENGL_SCALING", start.user_scaling);
    }
    start_program(session, start.fullscreen ? built().fullscreen : built().windowed,
                  probe_env(session, env), {}, start.args);
    ASSERT_TRUE(wait_for_frames(session, 10, Millis{20000})) << "the flight did not start";

    EXPECT_EQ(sdl_calls(session, {"scaling"}), "scaling " + std::string(start.scaling_seen) + "\n");
    EXPECT_EQ(sdl_calls(session, {"SDL_Init", "SDL_SetVideoMode"}),
              std::string("SDL_Init 0x0000ffff ok\nSDL_SetVideoMode 640 480 32 ") +
                  (start.fullscreen ? "0xc0000003 ok\n" : "0x40000003 ok\n"));
    expect_escape_ends_flight(session);
}

INSTANTIATE_TEST_SUITE_P(Sdl12Compat, Started, testing::ValuesIn(STARTS),
                         [](const testing::TestParamInfo<Start>& info) {
                             return std::string(info.param.name);
                         });
