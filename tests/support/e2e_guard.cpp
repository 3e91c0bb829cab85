// SPDX-License-Identifier: MIT
// Cleans up after a test session whose test process died without doing it
// itself (killed, or ended by a signal it does not handle).
//
// Usage: tubeflight_e2e_guard DIR, with the session's end of a pipe on
// standard input. The session writes one line per process it starts
// ("PID"), and "done" once it has ended them all and removed DIR. When the
// pipe closes without "done", the test process is gone: each process named
// still running after a short grace (its parent-death signal usually ends
// it first) is killed, and DIR is removed. A process is recognised by its
// start time as well as its id, so a reused id is left alone.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Watched {
    pid_t pid = 0;
    std::string started; // field 22 of /proc/PID/stat
};

// Field 22 (start time) and field 3 (state) of /proc/PID/stat; empty when
// the process is gone.
std::pair<std::string, char> start_time_and_state(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(file, text);
    const std::size_t name_end = text.rfind(')');
    if (name_end == std::string::npos) {
        return {};
    }
    std::istringstream fields(text.substr(name_end + 2));
    std::string field;
    char state = 0;
    fields >> state;
    for (int index = 4; index <= 22 && fields >> field; ++index) {
    }
    return {field, state};
}

bool still_running(const Watched& watched) {
    const auto [started, state] = start_time_and_state(watched.pid);
    return started == watched.started && state != 'Z' && state != 'X';
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR < pipe\n", argv[0]);
        return 2;
    }
    // The test runner's keyboard interrupt or hang-up must not end the guard
    // before it has done its work.
    for (const int signal : {SIGHUP, SIGINT, SIGTERM, SIGPIPE}) {
        std::signal(signal, SIG_IGN);
    }
    std::vector<Watched> watched;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "done") {
            return 0;
        }
        const pid_t pid = static_cast<pid_t>(std::stol(line));
        watched.push_back({pid, start_time_and_state(pid).first});
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (const Watched& process : watched) {
        while (still_running(process) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (still_running(process)) {
            kill(process.pid, SIGKILL);
        }
    }
    // Once more a moment later, for whatever a killed process wrote last.
    std::error_code ignored;
    std::filesystem::remove_all(argv[1], ignored);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::filesystem::remove_all(argv[1], ignored);
    return 0;
}
