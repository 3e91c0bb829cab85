// The same executables on classic SDL 1.2.15 instead of sdl12-compat.
#include "app/flight.h"
#include "flight_checks.h"
#include "harness.h"
#include "probe_output.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace e2e;

namespace {

// The shared objects mapped into a running process.
std::string mapped_objects(pid_t pid) {
    std::istringstream maps(read_file("/proc/" + std::to_string(pid) + "/maps"));
    std::string line;
    std::string objects;
    while (std::getline(maps, line)) {
        const std::size_t slash = line.find('/');
        if (slash != std::string::npos) {
            objects += line.substr(slash) + "\n";
        }
    }
    return objects;
}

} // namespace

TEST(ClassicSdl, BothBuildsStartFlyPacedAndEndOnEscape) {
    struct Build {
        const char* name;
        std::string exe;
        const char* video_mode;
        bool windowed;
    };
    const Build builds[] = {
        {"windowed", built().windowed, "640 480 32 0x40000003 ok\n", true},
        {"full screen", built().fullscreen, "640 480 32 0xc0000003 ok\n", false}};
    for (const Build& build : builds) {
        SCOPED_TRACE(build.name);
        Session session;
        start_program(session, build.exe, probe_env(session, classic_sdl_env()));
        ASSERT_TRUE(wait_for_frames(session, 60, Millis{20000})) << "the flight did not start";

        // Classic SDL is the one in use, not sdl12-compat over SDL 2.
        const std::string objects = mapped_objects(session.program);
        EXPECT_NE(objects.find(built().classic_sdl_libdir + "/libSDL-1.2.so.0"), std::string::npos)
            << objects;
        EXPECT_EQ(objects.find("libSDL2"), std::string::npos) << objects;

        EXPECT_EQ(read_file(mode_log(session)), build.video_mode);
        const std::optional<WindowId> window = find_window(session, Millis{5000});
        ASSERT_TRUE(window.has_value());
        EXPECT_EQ(window_name(session, *window), TITLE_LINE);
        if (build.windowed) {
            expect_display_window_with_centred_pointer(session, *window);
        }
        expect_escape_ends_flight(session);
    }
}

TEST(ClassicSdl, FramesAgreeWithThoseOnSdl12Compat) {
    const std::vector<long> captured{10, 100, 250};
    std::map<long, Image> compat;
    {
        Session session;
        compat = fly_and_capture(session, built().windowed, captured);
    }
    Session session;
    const std::map<long, Image> classic =
        fly_and_capture(session, built().windowed, captured, classic_sdl_env());
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
