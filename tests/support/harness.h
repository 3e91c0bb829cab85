// SPDX-License-Identifier: MIT
#pragma once

// Drives the real executables for the end-to-end tests: a private Xvfb per
// session, the program started on it with a chosen environment, its window
// found and read through xdotool and xprop, input sent through XTEST
// (xdotool), signals, a deadline-bounded wait for the end, and what the
// probe library wrote meanwhile.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace e2e {

using Millis = std::chrono::milliseconds;
using Env = std::vector<std::pair<std::string, std::string>>;
using WindowId = unsigned long;

// The artefacts under test, as built.
struct Built {
    std::string windowed;           // tubeflight
    std::string fullscreen;         // tubeflight-fs
    std::string probe;              // libtubeflight_probe.so
    std::string nomem;              // libtubeflight_nomem.so
    std::string send_wm_delete;     // the close-request helper
    std::string classic_sdl_libdir; // where classic SDL 1.2 is unpacked
    std::string storm;              // scripts/lib/storm.sh, the storm of input
};
const Built& built();

// How a program ended: an exit status, or the signal that killed it.
struct Ended {
    bool exited = false;
    int status = 0;
    int signal = 0;
};
std::string describe(const Ended& ended);

struct Point {
    int x = 0;
    int y = 0;
};

struct Geometry {
    int x = 0; // root coordinates of the top-left corner
    int y = 0;
    int width = 0;
    int height = 0;
};

// One private X server, a scratch directory under the build tree, and at
// most one program at a time, its stdout and stderr in files there. What
// still runs at the end is killed and the folders removed; children of a
// test process that dies get a parent-death signal, and the e2e tests'
// CTest fixture removes the folders.
struct Session {
    pid_t xvfb = -1;     // scripts/with-xvfb, which ends the server with itself
    std::string display; // ":N"
    std::string dir;
    std::string runtime_dir; // mode 0700, linked from dir as "runtime"
    pid_t program = -1;

    Session();
    ~Session();
    void end(); // what the destructor does
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

// A file in the session's scratch directory.
std::string scratch(const Session& session, const std::string& name);
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);
// The number after `prefix` on the first line of `text` that starts with it.
std::optional<long> field_value(const std::string& text, const std::string& prefix);

// The test's own environment as NAME=value entries, without the names in
// `removed` and with `overrides` replacing or adding entries (of two with
// one name, the later).
std::vector<std::string> environment_with(const Env& overrides,
                                          const std::vector<std::string>& removed = {});

// The end of child `pid`: waited for when `wait`, else nothing while it still
// runs.
std::optional<Ended> reap(pid_t pid, bool wait);

// Starts `exe` with the arguments `args` on the session's display with `env`
// added to (or replacing entries of) the test's own environment, and the
// signals in `ignored_signals` ignored, as a parent may leave them. Its
// stdout and stderr go to the files "stdout" and "stderr" of the scratch
// directory.
void start_program(Session& session, const std::string& exe, const Env& env = {},
                   const std::vector<int>& ignored_signals = {},
                   const std::vector<std::string>& args = {});

// Starts `exe` with the environment `env` (NAME=value entries) as the leader
// of a new session whose controlling terminal, stdin, stdout and stderr are
// the terminal device `tty`. It is killed when the test process dies.
pid_t start_on_terminal(const std::string& exe, std::vector<std::string> env,
                        const std::string& tty);

// Waits for the program to end; nothing if it still runs after `timeout`.
std::optional<Ended> wait_end(Session& session, Millis timeout);
bool running(Session& session);
void send_signal(const Session& session, int signal);

// Polls `condition` every few milliseconds until it holds or the time is up.
bool wait_until(const std::function<bool()>& condition, Millis timeout);

// The program's top-level window, found by its _NET_WM_PID.
std::optional<WindowId> find_window(const Session& session, Millis timeout);
std::string window_name(const Session& session, WindowId window); // WM_NAME
Geometry window_geometry(const Session& session, WindowId window);
Point pointer_position(const Session& session); // root coordinates

// Runs the X client `argv` (looked up on PATH), or xdotool with `args`, on
// the session's display; true when it succeeds.
bool x_client(const Session& session, const std::vector<std::string>& argv);
bool xdotool(const Session& session, const std::vector<std::string>& args);
// Sends WM_DELETE_WINDOW, as a window manager's close button does.
bool send_close_request(const Session& session, WindowId window);

// The environment that loads the probe, with its swap and calls logs in the
// scratch directory, plus `extra` (which may replace them).
Env probe_env(const Session& session, const Env& extra = {});
inline std::string swap_log(const Session& session) {
    return scratch(session, "swaps.log");
}
inline std::string calls_log(const Session& session) {
    return scratch(session, "calls.log");
}

// One line of the probe's swap log.
struct SwapRecord {
    long frame = 0;
    std::int64_t start_ns = 0; // CLOCK_MONOTONIC just before the real swap
    std::int64_t swap_ns = 0;  // duration of the real swap
    long flushes = 0;          // glFlush calls since the previous swap
};

// The complete lines of the log, in order; none if there is no log yet.
std::vector<SwapRecord> read_swap_log(const std::string& path);

// An 8-bit RGB image, rows top to bottom.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// Reads a binary PPM (P6, maxval 255); nothing if it is missing or malformed.
std::optional<Image> read_ppm(const std::string& path);

// The file name the probe gives a captured frame: frame-0010.ppm.
std::string frame_file(long frame);

// Assertions shared by the end-to-end tests (flight_checks.cpp).

// The caption from the end of the first frame on.
constexpr const char* TITLE = "tubeflight - flying through the knot tube (Escape quits)";
// The probe's log of a start-up in a window and in full screen.
constexpr const char* STARTED_WINDOWED =
    "SDL_Init 0x0000ffff ok\nSDL_SetVideoMode 640 480 32 0x40000003 ok\n";
constexpr const char* STARTED_FULLSCREEN =
    "SDL_Init 0x0000ffff ok\nSDL_SetVideoMode 640 480 32 0xc0000003 ok\n";
// Start-up on llvmpipe takes well under a second; this is reached only when
// something is wrong (or the machine is very busy).
constexpr Millis START_TIMEOUT{20000};

// The swap log holds frames 1, 2, 3, ... in order, each flushed once before
// its swap, and every frame started a full frame period after the previous
// one ended (see the definition).
void expect_paced(const std::vector<SwapRecord>& swaps);

// The flight holds the 16 ms floor itself: at least a tenth of the frames
// start 16 ms after the one before (see the definition).
void expect_floor_held(const std::vector<SwapRecord>& swaps);

// A busy host slows the flight for a spell: while the last `frames` frames
// miss the floor, watches as many more, up to `rounds` stretches in all.
// Returns where the last stretch starts in the swap log.
std::size_t watch_until_floor_held(const Session& session, std::size_t frames, int rounds,
                                   Millis timeout);

// Waits until the probe has logged at least `count` swaps.
bool wait_for_frames(const Session& session, std::size_t count, Millis timeout);
std::size_t swaps_logged(const Session& session);
// Starts `exe` with the probe and `env` (start_program's `args` and
// `ignored` signals), and waits until it has swapped `frames` frames.
testing::AssertionResult start_flying(Session& session, const std::string& exe, const Env& env,
                                      std::size_t frames, const std::vector<std::string>& args = {},
                                      const std::vector<int>& ignored = {});

// The window is the display's size and the pointer sits at its centre.
void expect_display_window_with_centred_pointer(const Session& session, WindowId window);

// Escape held down ends the flight with status 0, SDL shut down once, and
// every frame paced.
void expect_escape_ends_flight(Session& session);

// The lines of the probe's calls log whose first word is one of `names`.
std::string sdl_calls(const Session& session, const std::vector<std::string>& names);
// How many times SDL_Quit ran.
int sdl_quit_calls(const Session& session);

// Flies `exe` unpaced (the probe's fast clock) until the last of `frames`,
// capturing those frames, and returns them by frame number. The probe ends
// the run with SIGTERM after the last one; `extra` adds to the environment.
std::map<long, Image> fly_and_capture(Session& session, const std::string& exe,
                                      const std::vector<long>& frames, const Env& extra = {});

// The two SDL 1.2 implementations the program must run on.
enum class Sdl { compat, classic };
// Its name, usable in a test's name: "sdl12_compat" or "classic_sdl".
void PrintTo(Sdl sdl, std::ostream* out);
// What to add to the environment to run on `sdl`.
Env sdl_env(Sdl sdl);
// Skips the test when it is to run on classic SDL and that is not unpacked in
// the build tree; a test body that calls it returns when IsSkipped().
void skip_unless_present(Sdl sdl);
// A test on one of the two SDLs, skipped as above.
class OnSdl : public testing::TestWithParam<Sdl> {
  protected:
    void SetUp() override { skip_unless_present(GetParam()); }
};
// An OnSdl test's parameters.
inline const auto BOTH_SDLS = testing::Values(Sdl::compat, Sdl::classic);
// The running program has `sdl` loaded, and not the other one.
void expect_runs_on(const Session& session, Sdl sdl);

} // namespace e2e
