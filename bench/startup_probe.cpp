// SPDX-License-Identifier: MIT
// LD_PRELOAD library that notes the start-up milestones of an SDL 1.2 GL
// program, as CLOCK_MONOTONIC nanoseconds, one "event ns" line each, into
// the file named by TUBEFLIGHT_STARTUP_LOG (appended; nothing is noted
// without it):
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
// Each hook forwards to the next definition of its symbol. Lines are written
// as they happen, since the program may end by a signal.
#include "monotonic_clock.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int log_fd = -1;
bool warped = false;
bool cleared = false;
bool flushed = false;
bool init_seen = false;
bool mode_seen = false;

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

template <typename Function> Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

__attribute__((constructor)) void open_log() {
    const std::int64_t loaded = monotonic_ns();
    const char* path = std::getenv("TUBEFLIGHT_STARTUP_LOG");
    if (path == nullptr || *path == '\0') {
        return;
    }
    log_fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (const char* exec_ns = std::getenv("TUBEFLIGHT_EXEC_NS")) {
        note("exec", std::atoll(exec_ns));
    }
    note("loaded", loaded);
}

} // namespace

extern "C" {

int SDL_Init(std::uint32_t flags) {
    static const auto real = next<int (*)(std::uint32_t)>("SDL_Init");
    const bool first = !init_seen;
    init_seen = true;
    if (first) {
        note("sdl_init_begin", monotonic_ns());
    }
    const int result = real(flags);
    if (first) {
        note("sdl_init_end", monotonic_ns());
    }
    return result;
}

void* SDL_SetVideoMode(int width, int height, int bpp, std::uint32_t flags) {
    static const auto real = next<void* (*)(int, int, int, std::uint32_t)>("SDL_SetVideoMode");
    const bool first = !mode_seen;
    mode_seen = true;
    if (first) {
        note("video_mode_begin", monotonic_ns());
    }
    void* const surface = real(width, height, bpp, flags);
    if (first) {
        note("video_mode_end", monotonic_ns());
    }
    return surface;
}

void SDL_WarpMouse(std::uint16_t x, std::uint16_t y) {
    static const auto real = next<void (*)(std::uint16_t, std::uint16_t)>("SDL_WarpMouse");
    real(x, y);
    if (!warped) {
        warped = true;
        note("warp_end", monotonic_ns());
    }
}

void glClear(unsigned int mask) {
    static const auto real = next<void (*)(unsigned int)>("glClear");
    if (warped && !cleared) {
        cleared = true;
        note("first_clear", monotonic_ns());
    }
    real(mask);
}

void glFlush() {
    static const auto real = next<void (*)()>("glFlush");
    real();
    if (cleared && !flushed) {
        flushed = true;
        note("first_flush_end", monotonic_ns());
    }
}

} // extern "C"
