// SPDX-License-Identifier: MIT
#pragma once

// Drives the real executables for the end-to-end tests: a private Xvfb per
// session, the program started on it with a chosen environment, its window
// found and read through xdotool and xprop, input sent through XTEST
// (xdotool), signals, a deadline-bounded wait for the end, and what the
// probe library wrote meanwhile.

#include <chrono>
#include <cstdint>
#include <functional>
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
// most one program at a time. The program's stdout and stderr go to files in
// the scratch directory; its XDG_RUNTIME_DIR and TMPDIR are a private folder
// under /tmp, short enough for socket paths. Whatever still runs when the session ends is killed
// and the directory removed. When the test process dies of a signal or is killed, its children (the
// server, the program, the X tools) get a parent-death signal, and the e2e tests' CTest fixture
// removes the directory.
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

} // namespace e2e
