// SPDX-License-Identifier: MIT
#include "harness.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

constexpr Millis POLL_STEP{2};
constexpr Millis XVFB_STOP_TIMEOUT{3000};

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// A new directory of its own, named after `pattern` (ending in XXXXXX).
std::string make_directory(std::string pattern) {
    if (mkdtemp(pattern.data()) == nullptr) {
        fail("mkdtemp " + pattern);
    }
    return pattern;
}

// The execve form of `strings`: pointers into them, then a null pointer.
std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (std::string& s : strings) {
        result.push_back(s.data());
    }
    result.push_back(nullptr);
    return result;
}

struct Redirect {
    int target;       // descriptor in the child
    std::string path; // opened with `flags`: a file, /dev/null, a terminal
    int flags;
};

// fork + execvpe (a name without a slash is looked up on PATH); between the
// two only async-signal-safe calls. The child writes its stdout into
// `stdout_fd` when one is given, and leads a process group of its own, or
// with `own_session` a session. It starts with the stop signals at their
// default action, whatever the test runner inherited (a shell's background
// job has SIGINT ignored), except those in `ignored`, which it starts with
// ignored. It gets `death_signal` when the test process dies, however it
// dies (0: none). The kernel sends it when the thread that forked ends:
// every spawn happens on the test's main thread.
pid_t spawn(std::vector<std::string> argv, std::vector<std::string> env,
            const std::vector<Redirect>& redirects, int death_signal, int stdout_fd = -1,
            const std::vector<int>& ignored = {}, bool own_session = false) {
    std::vector<char*> argv_pointers = pointers(argv);
    std::vector<char*> env_pointers = pointers(env);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        fail("fork");
    }
    if (pid == 0) {
        // The parent may have died before the signal was armed.
        if (death_signal != 0 &&
            (prctl(PR_SET_PDEATHSIG, death_signal) != 0 || getppid() != parent)) {
            _exit(127);
        }
        // Keyboard interrupts of the test runner stay with it. The first
        // terminal a session leader opens becomes its controlling terminal.
        if ((own_session ? setsid() : setpgid(0, 0)) < 0) {
            _exit(127);
        }
        for (const Redirect& redirect : redirects) {
            const int fd = open(redirect.path.c_str(), redirect.flags, 0644);
            if (fd < 0 || dup2(fd, redirect.target) < 0) {
                _exit(127);
            }
            close(fd);
        }
        if (stdout_fd >= 0 && dup2(stdout_fd, STDOUT_FILENO) < 0) {
            _exit(127);
        }
        for (const int signal : {SIGHUP, SIGINT, SIGTERM}) {
            std::signal(signal, SIG_DFL);
        }
        for (const int signal : ignored) {
            std::signal(signal, SIG_IGN);
        }
        execvpe(argv_pointers[0], argv_pointers.data(), env_pointers.data());
        _exit(127);
    }
    return pid;
}

struct ToolRun {
    bool ok = false;
    std::string out;
};

// Starts `argv` as `pid`, its stderr on /dev/null, and reads its stdout to the
// end, or only to the end of the first line when `line`.
std::string spawn_and_read(pid_t& pid, std::vector<std::string> argv, std::vector<std::string> env,
                           int death_signal, bool line) {
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
        fail("pipe2");
    }
    pid = spawn(std::move(argv), std::move(env), {{STDERR_FILENO, "/dev/null", O_WRONLY}},
                death_signal, pipe_fds[1]);
    close(pipe_fds[1]);
    std::string text;
    char buffer[4096];
    while (!line || text.find('\n') == std::string::npos) {
        const ssize_t count = read(pipe_fds[0], buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(count));
    }
    close(pipe_fds[0]);
    return text;
}

// Runs an X client on the session's display and collects its stdout.
ToolRun run_tool(const Session& session, std::vector<std::string> argv) {
    pid_t pid = -1;
    ToolRun run;
    run.out = spawn_and_read(pid, std::move(argv), environment_with({{"DISPLAY", session.display}}),
                             SIGKILL, false);
    const std::optional<Ended> ended = reap(pid, true);
    run.ok = ended && ended->exited && ended->status == 0;
    return run;
}

// NAME=value in `xdotool ... --shell`'s lines.
int shell_value(const std::string& text, const std::string& name) {
    if (const std::optional<long> value = field_value(text, name + "=")) {
        return static_cast<int>(*value);
    }
    throw std::runtime_error("no " + name + " in: " + text);
}

// The session's private X server: scripts/with-xvfb, running a shell that
// prints its display and waits. The script ends the server when it gets
// SIGTERM, which is also its parent-death signal, and gives up on a server
// that does not start within its own deadline, so that the line comes or the
// pipe closes. Its temporary folder is in the session's.
std::string start_xvfb(Session& session) {
    const std::string line = spawn_and_read(
        session.xvfb, {WITH_XVFB, "sh", "-c", "echo \"$DISPLAY\" && exec sleep infinity"},
        environment_with({{"TMPDIR", session.dir}}), SIGTERM, true);
    if (line.find('\n') == std::string::npos) {
        throw std::runtime_error("Xvfb did not report a display");
    }
    return line.substr(0, line.find('\n'));
}

} // namespace

pid_t start_on_terminal(const std::string& exe, std::vector<std::string> env,
                        const std::string& tty) {
    return spawn(
        {exe}, std::move(env),
        {{STDIN_FILENO, tty, O_RDWR}, {STDOUT_FILENO, tty, O_RDWR}, {STDERR_FILENO, tty, O_RDWR}},
        SIGKILL, -1, {}, true);
}

const Built& built() {
    static const Built paths{TUBEFLIGHT_EXE,
                             TUBEFLIGHT_FS_EXE,
                             TUBEFLIGHT_PROBE_LIB,
                             TUBEFLIGHT_NOMEM_LIB,
                             SEND_WM_DELETE_EXE,
                             CLASSIC_SDL_LIBDIR,
                             STORM_SH};
    return paths;
}

std::string describe(const Ended& ended) {
    if (ended.exited) {
        return "exit status " + std::to_string(ended.status);
    }
    return "signal " + std::to_string(ended.signal) + " (" + strsignal(ended.signal) + ")";
}

std::vector<std::string> environment_with(const Env& overrides,
                                          const std::vector<std::string>& removed) {
    std::map<std::string, std::string> named; // name: entry
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        named[text.substr(0, text.find('='))] = text;
    }
    for (const std::string& key : removed) {
        named.erase(key);
    }
    for (const auto& [key, value] : overrides) {
        named[key] = key + "=" + value;
    }
    std::vector<std::string> entries;
    for (const auto& [name, entry] : named) {
        entries.push_back(entry);
    }
    return entries;
}

std::optional<Ended> reap(pid_t pid, bool wait) {
    int status = 0;
    pid_t result;
    do {
        result = waitpid(pid, &status, wait ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result != pid) {
        return std::nullopt;
    }
    Ended ended;
    if (WIFEXITED(status)) {
        ended.exited = true;
        ended.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        ended.signal = WTERMSIG(status);
    }
    return ended;
}

Session::Session() {
    std::filesystem::create_directories(E2E_SCRATCH_ROOT);
    dir = make_directory(E2E_SCRATCH_ROOT "/session-XXXXXX");
    try {
        // The program's XDG_RUNTIME_DIR and TMPDIR, where sockets go: a socket's
        // path may not pass 107 bytes, so a short folder under /tmp, however
        // deep the build tree is, linked from the scratch folder so that the
        // fixture finds it after a killed test.
        runtime_dir = make_directory("/tmp/tubeflight-XXXXXX");
        std::filesystem::create_directory_symlink(runtime_dir, dir + "/runtime");
        display = start_xvfb(*this);
    } catch (...) {
        end(); // no destructor runs for a session that never started
        throw;
    }
}

Session::~Session() {
    end();
}

void Session::end() {
    if (program > 0) {
        kill(program, SIGKILL);
        reap(program, true);
    }
    if (xvfb > 0) {
        kill(xvfb, SIGTERM);
        if (!wait_until([this] { return reap(xvfb, false).has_value(); }, XVFB_STOP_TIMEOUT)) {
            kill(xvfb, SIGKILL);
            reap(xvfb, true);
        }
    }
    std::error_code ignored;
    if (!runtime_dir.empty()) {
        std::filesystem::remove_all(runtime_dir, ignored);
    }
    std::filesystem::remove_all(dir, ignored);
}

std::string scratch(const Session& session, const std::string& name) {
    return session.dir + "/" + name;
}

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::optional<long> field_value(const std::string& text, const std::string& prefix) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) == 0) {
            return std::stol(line.substr(prefix.size()));
        }
    }
    return std::nullopt;
}

bool file_exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

void start_program(Session& session, const std::string& exe, const Env& env,
                   const std::vector<int>& ignored_signals, const std::vector<std::string>& args) {
    if (session.program > 0) {
        throw std::logic_error("a program is still running in this session");
    }
    // The libraries' runtime and temporary files stay in the session.
    Env overrides{{"DISPLAY", session.display},
                  {"XDG_RUNTIME_DIR", session.runtime_dir},
                  {"TMPDIR", session.runtime_dir}};
    overrides.insert(overrides.end(), env.begin(), env.end());
    constexpr int OUTPUT = O_WRONLY | O_CREAT | O_TRUNC;
    std::vector<std::string> argv{exe};
    argv.insert(argv.end(), args.begin(), args.end());
    session.program = spawn(argv, environment_with(overrides),
                            {{STDIN_FILENO, "/dev/null", O_RDONLY},
                             {STDOUT_FILENO, scratch(session, "stdout"), OUTPUT},
                             {STDERR_FILENO, scratch(session, "stderr"), OUTPUT}},
                            SIGKILL, -1, ignored_signals);
}

std::optional<Ended> wait_end(Session& session, Millis timeout) {
    if (session.program <= 0) {
        throw std::logic_error("no program is running in this session");
    }
    std::optional<Ended> ended;
    wait_until([&] { return (ended = reap(session.program, false)).has_value(); }, timeout);
    if (ended) {
        session.program = -1;
    }
    return ended;
}

bool running(Session& session) {
    return session.program > 0 && !wait_end(session, Millis{0});
}

void send_signal(const Session& session, int signal) {
    if (session.program > 0) {
        kill(session.program, signal);
    }
}

bool wait_until(const std::function<bool()>& condition, Millis timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(POLL_STEP);
    }
    return true;
}

std::optional<WindowId> find_window(const Session& session, Millis timeout) {
    std::optional<WindowId> found;
    wait_until(
        [&] {
            const ToolRun run =
                run_tool(session, {"xdotool", "search", "--pid", std::to_string(session.program)});
            if (run.ok && !run.out.empty()) {
                found = std::stoul(run.out);
            }
            return found.has_value();
        },
        timeout);
    return found;
}

std::string window_name(const Session& session, WindowId window) {
    // Prints `WM_NAME = "text"`, or `WM_NAME:  not found.` before the caption is set.
    const ToolRun run =
        run_tool(session, {"xprop", "-notype", "-id", std::to_string(window), "WM_NAME"});
    const std::size_t first = run.out.find('"');
    const std::size_t last = run.out.rfind('"');
    if (!run.ok || first == std::string::npos || last == first) {
        return {};
    }
    return run.out.substr(first + 1, last - first - 1);
}

Geometry window_geometry(const Session& session, WindowId window) {
    const ToolRun run =
        run_tool(session, {"xdotool", "getwindowgeometry", "--shell", std::to_string(window)});
    return Geometry{shell_value(run.out, "X"), shell_value(run.out, "Y"),
                    shell_value(run.out, "WIDTH"), shell_value(run.out, "HEIGHT")};
}

Point pointer_position(const Session& session) {
    const ToolRun run = run_tool(session, {"xdotool", "getmouselocation", "--shell"});
    return Point{shell_value(run.out, "X"), shell_value(run.out, "Y")};
}

bool x_client(const Session& session, const std::vector<std::string>& argv) {
    return run_tool(session, argv).ok;
}

bool xdotool(const Session& session, const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return x_client(session, argv);
}

bool send_close_request(const Session& session, WindowId window) {
    return run_tool(session, {built().send_wm_delete, std::to_string(window)}).ok;
}

Env probe_env(const Session& session, const Env& extra) {
    Env env{{"LD_PRELOAD", built().probe},
            {"TUBEFLIGHT_PROBE_LOG", swap_log(session)},
            {"TUBEFLIGHT_PROBE_CALLS_LOG", calls_log(session)}};
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::vector<SwapRecord> read_swap_log(const std::string& path) {
    std::ifstream file(path);
    std::vector<SwapRecord> records;
    std::string line;
    while (std::getline(file, line)) {
        if (file.eof()) {
            break; // a line without its newline is still being written
        }
        std::istringstream fields(line);
        SwapRecord record;
        if (fields >> record.frame >> record.start_ns >> record.swap_ns >> record.flushes) {
            records.push_back(record);
        }
    }
    return records;
}

std::optional<Image> read_ppm(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string magic;
    Image image;
    int maxval = 0;
    if (!(file >> magic >> image.width >> image.height >> maxval) || magic != "P6" ||
        maxval != 255 || image.width <= 0 || image.height <= 0) {
        return std::nullopt;
    }
    file.get(); // the single whitespace after the header
    image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
    if (!file.read(reinterpret_cast<char*>(image.rgb.data()),
                   static_cast<std::streamsize>(image.rgb.size()))) {
        return std::nullopt;
    }
    return image;
}

std::string frame_file(long frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04ld.ppm", frame);
    return name;
}

} // namespace e2e
