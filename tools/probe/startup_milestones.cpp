// SPDX-License-Identifier: MIT
// Start-up milestones, for scripts/bench: as CLOCK_MONOTONIC nanoseconds,
// one "event ns" line each, into the file named by TUBEFLIGHT_STARTUP_LOG
// (appended; nothing is noted without it):
//
//   exec              TUBEFLIGHT_EXEC_NS, when set (see tubeflight_exec_stamp)
//   loaded            libraries loaded and relocated, before main
//   sdl_init_begin    first SDL_Init called
//   sdl_init_end      ... and returned
//   video_mode_begin  first SDL_SetVideoMode called
//   video_mode_end    ... and returned
//   warp_end          first SDL_WarpMouse returned (fixed GL state is set)
//   first_clear       first glClear after the warp: the first frame's draw
//                     begins (the mesh is built, the camera stepped)
//   first_flush_end   first glFlush after that returned: the first frame is
//                     handed to the renderer
//
// Lines are written as they happen, since the program may end by a signal.
#include "monotonic_clock.h"
#include "probe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace probe {
namespace {

const char* const MILESTONE_NAMES[] = {"sdl_init_begin", "sdl_init_end", "video_mode_begin",
                                       "video_mode_end", "warp_end",     "first_clear",
                                       "first_flush_end"};
static_assert(sizeof MILESTONE_NAMES / sizeof MILESTONE_NAMES[0] ==
                  static_cast<int>(Milestone::first_flush_end) + 1,
              "a name for every milestone, in the order of Milestone");
bool reached[sizeof MILESTONE_NAMES / sizeof MILESTONE_NAMES[0]] = {};

int log_fd = -1;

void note(const char* event, std::int64_t ns) {
    if (log_fd < 0) {
        return;
    }
    char line[96];
    const int length =
        std::snprintf(line, sizeof line, "%s %lld\n", event, static_cast<long long>(ns));
    if (length > 0 && write(log_fd, line, static_cast<std::size_t>(length)) < 0) {
        log_fd = -1;
    }
}

__attribute__((constructor)) void open_log() {
    const std::int64_t loaded = monotonic_ns();
    const char* path = env_value("TUBEFLIGHT_STARTUP_LOG");
    if (path == nullptr) {
        return;
    }
    log_fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (const char* exec_ns = env_value("TUBEFLIGHT_EXEC_NS")) {
        note("exec", std::atoll(exec_ns));
    }
    note("loaded", loaded);
}

bool was_reached(Milestone milestone) {
    return reached[static_cast<int>(milestone)];
}

} // namespace

void reach(Milestone milestone) {
    const int index = static_cast<int>(milestone);
    if (reached[index] ||
        (milestone == Milestone::first_clear && !was_reached(Milestone::warp_end)) ||
        (milestone == Milestone::first_flush_end && !was_reached(Milestone::first_clear))) {
        return;
    }
    reached[index] = true;
    note(MILESTONE_NAMES[index], monotonic_ns());
}

} // namespace probe
