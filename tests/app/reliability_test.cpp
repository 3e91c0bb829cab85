// SPDX-License-Identifier: MIT
// Reliability of the windowed executable. Start-up failures seen from a
// terminal: the executable is run with a
// pseudo-terminal as its controlling terminal and as stdin, stdout and
// stderr, on both SDL 1.2 implementations. When it cannot get an OpenGL
// display, or storage for the tube, it must end with status 1 before the
// first frame, show no window (bar the one it had already opened when the
// tube's storage was refused), shut SDL down once if SDL started, and leave
// the terminal as it found it, even after a text-mode video driver of SDL
// took it over. What the libraries under it print there is theirs to say.
// A storm of input it must ignore (scripts/lib/storm.sh: pointer motion,
// buttons, keys other than Escape, close requests; thousands of events in a
// few seconds; scripts/bench measures its cost): the flight flies on in its
// window and Escape still ends it.
#include "harness.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <pty.h>
#include <regex>
#include <sstream>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <X11/Xlib.h>

using namespace e2e;

namespace {

// Counts the top-level windows that get mapped on an X display from its
// start on: a client of its own that listens to the root window's
// substructure, so that even a window shown for a moment is seen.
class WindowMaps {
  public:
    explicit WindowMaps(const std::string& name) : display_(XOpenDisplay(name.c_str())) {
        if (display_ != nullptr) {
            XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
            XSync(display_, False); // the selection holds once the server has answered
        }
    }
    ~WindowMaps() {
        if (display_ != nullptr) {
            XCloseDisplay(display_);
        }
    }
    WindowMaps(const WindowMaps&) = delete;
    WindowMaps& operator=(const WindowMaps&) = delete;

    bool watching() const { return display_ != nullptr; }
    // Windows mapped so far, once the server has handled every request it
    // has been sent (on a display it watches).
    int mapped() {
        XSync(display_, False);
        for (XEvent event; XCheckTypedEvent(display_, MapNotify, &event);) {
            ++mapped_;
        }
        return mapped_;
    }

  private:
    Display* display_;
    int mapped_ = 0;
};

// "Within a few seconds": start-up on llvmpipe takes well under one.
constexpr Millis END_TIMEOUT{5000};

// A display number nothing listens on (Xvfb -displayfd picks the lowest
// free ones).
constexpr const char* UNREACHABLE_DISPLAY = ":999";
constexpr const char* UNREACHABLE_SOCKET = "/tmp/.X11-unix/X999";

struct TerminalRun {
    std::optional<Ended> ended;
    std::string output;
    termios before{};
    termios after{};
    winsize size_before{};
    winsize size_after{};
};

void drain(int master, std::string& output) {
    char buffer[4096];
    ssize_t count;
    while ((count = read(master, buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<std::size_t>(count));
    }
}

// Runs `exe` as the leader of a new session whose controlling terminal is a
// fresh pseudo-terminal, which is also its stdin, stdout and stderr. The
// test keeps the terminal's slave side open, so that its settings can still
// be read after the program has gone.
TerminalRun run_on_terminal(const std::string& exe, const std::vector<std::string>& removed,
                            const Env& added) {
    TerminalRun run;
    int master = -1;
    int slave = -1;
    char terminal[256] = {};
    winsize size{24, 80, 0, 0}; // rows, columns
    if (openpty(&master, &slave, terminal, nullptr, &size) != 0) {
        ADD_FAILURE() << "openpty: " << std::strerror(errno);
        return run;
    }
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    tcgetattr(slave, &run.before);
    ioctl(slave, TIOCGWINSZ, &run.size_before);

    const pid_t pid = start_on_terminal(exe, environment_with(added, removed), terminal);
    // Keep reading, so that a program writing to the terminal never blocks.
    if (!wait_until(
            [&] {
                drain(master, run.output);
                return (run.ended = reap(pid, false)).has_value();
            },
            END_TIMEOUT)) {
        kill(pid, SIGKILL);
        reap(pid, true);
    }
    drain(master, run.output);
    tcgetattr(slave, &run.after);
    ioctl(slave, TIOCGWINSZ, &run.size_after);
    close(master);
    close(slave);
    return run;
}

bool same_settings(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

// What is left of terminal output once escape sequences, carriage returns,
// line feeds and bells are taken out, and the private modes (CSI ? n h/l)
// it leaves switched on or off.
struct TerminalScreen {
    std::string text;
    std::map<int, bool> modes;
};

TerminalScreen read_screen(const std::string& output) {
    // CSI sequences, OSC strings up to BEL or ESC backslash, character-set
    // selections, other two-byte sequences; carriage returns, line feeds, bells.
    static const std::regex control(R"(\x1b\[[0-?]*[ -/]*[@-~]|\x1b\][^\x07\x1b]*(\x07|\x1b\\)?)"
                                    R"(|\x1b[()*+#%].|\x1b.|[\r\n\x07])");
    static const std::regex private_modes(R"(\x1b\[\?([0-9;]*)([hl]))");
    TerminalScreen screen;
    screen.text = std::regex_replace(output, control, "");
    for (std::sregex_iterator it(output.begin(), output.end(), private_modes), end; it != end;
         ++it) {
        std::istringstream numbers((*it)[1].str());
        std::string number;
        while (std::getline(numbers, number, ';')) {
            if (!number.empty()) {
                screen.modes[std::stoi(number)] = (*it)[2] == "h";
            }
        }
    }
    return screen;
}

// Everything a text-mode driver switched on must be off again, and the
// cursor visible, or the shell after it is left on a blank alternate screen
// that eats mouse clicks.
void expect_terminal_given_back(const TerminalScreen& screen) {
    constexpr int CURSOR_VISIBLE = 25;
    const int taken_over[] = {47, 1047, 1049, 9, 1000, 1002, 1003, 1006, 1015};
    for (const int mode : taken_over) {
        const auto found = screen.modes.find(mode);
        EXPECT_TRUE(found == screen.modes.end() || !found->second)
            << "private mode " << mode << " left on";
    }
    const auto cursor = screen.modes.find(CURSOR_VISIBLE);
    EXPECT_TRUE(cursor == screen.modes.end() || cursor->second) << "cursor left hidden";
}

// How the video system is (not) reachable, or storage refused.
struct Situation {
    const char* name;
    std::vector<std::string> removed; // taken out of the environment
    Env added;                        // put in; "live" DISPLAY: the session's Xvfb
    bool refuse_storage = false;      // large allocations of the program fail
};

constexpr const char* LIVE = "live";

void PrintTo(const Situation& situation, std::ostream* out) {
    *out << situation.name;
}

const Situation SITUATIONS[] = {
    {"no_display", {"DISPLAY", "SDL_VIDEODRIVER"}, {}},
    {"unreachable_display", {"SDL_VIDEODRIVER"}, {{"DISPLAY", UNREACHABLE_DISPLAY}}},
    {"dummy_driver", {}, {{"DISPLAY", LIVE}, {"SDL_VIDEODRIVER", "dummy"}}},
    {"unknown_driver", {}, {{"DISPLAY", LIVE}, {"SDL_VIDEODRIVER", "nonexistent"}}},
    {"x11_driver_without_display", {"DISPLAY"}, {{"SDL_VIDEODRIVER", "x11"}}},
    {"mesh_storage_refused", {"SDL_VIDEODRIVER"}, {{"DISPLAY", LIVE}}, true},
};

// What each situation does on each SDL.
struct Expected {
    // The probe's log of SDL_Init and SDL_SetVideoMode, as a regular
    // expression: where the library decides how to fall back, each way it
    // may take. Whichever it took, SDL_Quit must follow a successful SDL_Init
    // exactly once, and a failed one never.
    const char* start_calls;
    int windows_mapped; // on the session's display
};

constexpr const char* INIT_FAILS = "SDL_Init 0x0000ffff fail\n";
constexpr const char* MODE_REFUSED =
    "SDL_Init 0x0000ffff ok\nSDL_SetVideoMode 640 480 32 0x40000003 null\n";
// SDL 2 (under sdl12-compat) without an X display falls back to its
// "offscreen" driver, which gives an OpenGL mode where EGL is installed and
// refuses it where not; it may as well fail to start at all.
constexpr const char* ANY_FALLBACK = "SDL_Init 0x0000ffff fail\n|SDL_Init 0x0000ffff "
                                     "ok\nSDL_SetVideoMode 640 480 32 0x40000003 (ok|null)\n";

// On sdl12-compat, then on classic SDL. The program refuses any display
// nobody can see. Classic SDL falls back to libcaca, which takes over the
// terminal in SDL_Init and cannot give OpenGL; SDL_Quit must hand the
// terminal back.
const std::map<std::string, std::array<Expected, 2>> EXPECTED = {
    {"no_display", {{{ANY_FALLBACK, 0}, {MODE_REFUSED, 0}}}},
    {"unreachable_display", {{{ANY_FALLBACK, 0}, {MODE_REFUSED, 0}}}},
    {"dummy_driver", {{{MODE_REFUSED, 0}, {MODE_REFUSED, 0}}}},
    {"unknown_driver", {{{INIT_FAILS, 0}, {INIT_FAILS, 0}}}},
    {"x11_driver_without_display", {{{INIT_FAILS, 0}, {INIT_FAILS, 0}}}},
    {"mesh_storage_refused", {{{STARTED_WINDOWED, 1}, {STARTED_WINDOWED, 1}}}},
};

class StartupFailure : public testing::TestWithParam<std::tuple<Sdl, Situation>> {
    void SetUp() override { skip_unless_present(std::get<0>(GetParam())); }
};

TEST_P(StartupFailure, EndsWithStatusOneSilentlyAndLeavesTheTerminalAsItWas) {
    const auto& [sdl, situation] = GetParam();
    const Expected& expected = EXPECTED.at(situation.name)[sdl == Sdl::classic ? 1 : 0];
    ASSERT_FALSE(file_exists(UNREACHABLE_SOCKET))
        << "an X server listens on the unreachable display";

    Session session;
    const std::string refusals = scratch(session, "refusals.log");
    Env extra = sdl_env(sdl);
    if (situation.refuse_storage) {
        extra.emplace_back("LD_PRELOAD", built().probe + ":" + built().nomem);
        extra.emplace_back("TUBEFLIGHT_NOMEM_LOG", refusals);
    }
    Env added = probe_env(session, extra);
    // A terminal a text-mode driver knows how to drive.
    added.emplace_back("TERM", "xterm");
    // As in any desktop session: SDL's Wayland probe looks for its socket there.
    added.emplace_back("XDG_RUNTIME_DIR", session.runtime_dir);
    for (const auto& [key, value] : situation.added) {
        added.emplace_back(key, key == "DISPLAY" && value == LIVE ? session.display : value);
    }

    WindowMaps maps(session.display);
    ASSERT_TRUE(maps.watching()) << "cannot watch " << session.display;
    const TerminalRun run = run_on_terminal(built().windowed, situation.removed, added);
    ASSERT_TRUE(run.ended.has_value()) << "still running after " << END_TIMEOUT.count() << " ms";
    EXPECT_TRUE(run.ended->exited && run.ended->status == 1) << describe(*run.ended);
    const std::string start_calls = sdl_calls(session, {"SDL_Init", "SDL_SetVideoMode"});
    EXPECT_TRUE(std::regex_match(start_calls, std::regex(expected.start_calls))) << start_calls;
    const bool sdl_started = start_calls.rfind("SDL_Init 0x0000ffff ok\n", 0) == 0;
    EXPECT_EQ(sdl_quit_calls(session), sdl_started ? 1 : 0) << start_calls;
    EXPECT_EQ(maps.mapped(), expected.windows_mapped);
    EXPECT_TRUE(read_swap_log(swap_log(session)).empty()) << "a frame was drawn";
    if (situation.refuse_storage) {
        // Exactly one request was refused, the mesh's vertex array (4096
        // vertices of six floats): the program's own handler ended it.
        EXPECT_EQ(read_file(refusals), "refused 98304\n");
    }

    EXPECT_TRUE(same_settings(run.before, run.after)) << "terminal settings changed";
    EXPECT_EQ(run.size_before.ws_row, run.size_after.ws_row);
    EXPECT_EQ(run.size_before.ws_col, run.size_after.ws_col);
    expect_terminal_given_back(read_screen(run.output));
}

std::string case_name(const testing::TestParamInfo<std::tuple<Sdl, Situation>>& info) {
    const auto& [sdl, situation] = info.param;
    return testing::PrintToString(sdl) + "_" + situation.name;
}

INSTANTIATE_TEST_SUITE_P(BothSdls, StartupFailure,
                         testing::Combine(BOTH_SDLS, testing::ValuesIn(SITUATIONS)), case_name);

// The terminal reader itself, on what classic SDL's libcaca driver writes
// when it takes a terminal and gives it back, and on ways of not giving it
// back.
TEST(TerminalOutput, SeparatesTextFromControlAndTracksPrivateModes) {
    const std::string given_back = "\x1b]0;caca for ncurses\a\x1b[?1049h\x1b[22;0;0t\x1b[1;24r"
                                   "\x1b(B\x1b[m\x1b[4l\x1b[?7h\x1b[?1h\x1b=\x1b[?25l"
                                   "\x1b[?1006;1000h\x1b]0;\a\x1b[39;49m\x1b[?1006;1000l"
                                   "\x1b[?12l\x1b[?25h\x1b[39;49m\x1b[24;1H\x1b[K\x1b[24;1H"
                                   "\x1b[?1049l\x1b[23;0;0t\r\x1b[?1l\x1b>";
    const TerminalScreen back = read_screen(given_back);
    EXPECT_EQ(back.text, "");
    EXPECT_FALSE(back.modes.at(1049));
    EXPECT_FALSE(back.modes.at(1000));
    EXPECT_FALSE(back.modes.at(1006));
    EXPECT_TRUE(back.modes.at(25));

    const TerminalScreen kept = read_screen("\x1b[?1049h\x1b[?25l\x1b[?1006;1000h");
    EXPECT_TRUE(kept.modes.at(1049));
    EXPECT_TRUE(kept.modes.at(1000));
    EXPECT_FALSE(kept.modes.at(25));

    EXPECT_EQ(read_screen("\x1b[31mcannot open display\x1b[m\r\n").text, "cannot open display");
}

} // namespace

TEST(InputStorm, ThousandsOfEventsAndCloseRequestsChangeNothingAndEscapeStillEnds) {
    Session session;
    start_program(session, built().windowed, probe_env(session));
    const std::optional<WindowId> window = find_window(session, START_TIMEOUT);
    ASSERT_TRUE(window.has_value()) << "no window";
    ASSERT_TRUE(wait_for_frames(session, 30, START_TIMEOUT)) << "the flight did not start";
    const std::size_t before = swaps_logged(session);

    // No time set: on until 2500 events have been sent.
    EXPECT_TRUE(x_client(session, {"bash", "-c", "source \"$0\" && storm \"$@\"", built().storm,
                                   std::to_string(*window), built().send_wm_delete, "0", "2500"}))
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
