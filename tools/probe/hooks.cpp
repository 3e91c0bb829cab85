// SPDX-License-Identifier: MIT
// The probe's hooks: each forwards to the next definition of its symbol and
// tells the modes (probe.h) what happened. The swap's own modes live here:
//
//   TUBEFLIGHT_PROBE_FAST_TICKS=1   SDL_GetTicks advances 16 ms per call, so
//                                   the frame wait never waits
//   TUBEFLIGHT_PROBE_STOP_AFTER=N   raise SIGTERM after the swap of frame N
//   TUBEFLIGHT_PROBE_HOLD_FIRST_SWAP=path
//                                   when frame 1 is drawn, create path and wait
//                                   until it is removed before swapping
#include "monotonic_clock.h"
#include "probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

using probe::Milestone;
using probe::next_symbol;

constexpr std::uint32_t FAST_TICK_MS = 16;

long frame_number = 0;
long flushes_since_swap = 0;

void hold_until_removed(const char* path) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) {
        close(fd);
    }
    struct stat info {};
    while (stat(path, &info) == 0) {
        usleep(1000);
    }
}

long stop_after() {
    const char* stop = probe::env_value("TUBEFLIGHT_PROBE_STOP_AFTER");
    return stop != nullptr ? std::strtol(stop, nullptr, 10) : 0;
}

bool fast_ticks() {
    const char* fast = probe::env_value("TUBEFLIGHT_PROBE_FAST_TICKS");
    return fast != nullptr && std::strcmp(fast, "0") != 0;
}

} // namespace

extern "C" {

void SDL_GL_SwapBuffers(void) {
    static const auto real_swap = next_symbol<void (*)(void)>("SDL_GL_SwapBuffers");
    static const char* const hold_path = probe::env_value("TUBEFLIGHT_PROBE_HOLD_FIRST_SWAP");
    static const long last_frame = stop_after();
    const long frame = ++frame_number;
    if (frame == 1 && hold_path != nullptr) {
        hold_until_removed(hold_path);
    }
    probe::capture_frame(frame);
    probe::record_frame();
    const std::int64_t start = monotonic_ns();
    real_swap();
    probe::log_swap(frame, start, monotonic_ns() - start, flushes_since_swap);
    flushes_since_swap = 0;
    if (last_frame > 0 && frame == last_frame) {
        std::raise(SIGTERM);
    }
}

std::uint32_t SDL_GetTicks(void) {
    static const auto real_ticks = next_symbol<std::uint32_t (*)(void)>("SDL_GetTicks");
    static const bool fast = fast_ticks();
    if (!fast) {
        return real_ticks();
    }
    static std::atomic<std::uint32_t> fake_ms{real_ticks()};
    return fake_ms.fetch_add(FAST_TICK_MS);
}

void SDL_Quit(void) {
    static const auto real_quit = next_symbol<void (*)(void)>("SDL_Quit");
    probe::log_call("SDL_Quit %ld\n", frame_number);
    real_quit();
}

void glFlush(void) {
    static const auto real_flush = next_symbol<void (*)(void)>("glFlush");
    ++flushes_since_swap;
    real_flush();
    probe::reach(Milestone::first_flush_end);
}

void glClear(unsigned int mask) {
    static const auto real_clear = next_symbol<void (*)(unsigned int)>("glClear");
    probe::reach(Milestone::first_clear);
    real_clear(mask);
}

int SDL_Init(std::uint32_t flags) {
    static const auto real_init = next_symbol<int (*)(std::uint32_t)>("SDL_Init");
    const char* scaling = std::getenv("SDL12COMPAT_OPENGL_SCALING");
    probe::log_call("scaling %.70s\n", scaling != nullptr ? scaling : "unset");
    probe::reach(Milestone::sdl_init_begin);
    const int result = real_init(flags);
    probe::reach(Milestone::sdl_init_end);
    probe::log_call("SDL_Init 0x%08x %s\n", static_cast<unsigned>(flags),
                    result == 0 ? "ok" : "fail");
    return result;
}

// Returns SDL_Surface*, which the probe never looks into.
void* SDL_SetVideoMode(int width, int height, int bpp, std::uint32_t flags) {
    static const auto real_mode =
        next_symbol<void* (*)(int, int, int, std::uint32_t)>("SDL_SetVideoMode");
    probe::reach(Milestone::video_mode_begin);
    void* const surface = real_mode(width, height, bpp, flags);
    probe::reach(Milestone::video_mode_end);
    probe::log_call("SDL_SetVideoMode %d %d %d 0x%08x %s\n", width, height, bpp,
                    static_cast<unsigned>(flags), surface != nullptr ? "ok" : "null");
    return surface;
}

void SDL_WM_SetCaption(const char* title, const char* icon) {
    static const auto real_caption =
        next_symbol<void (*)(const char*, const char*)>("SDL_WM_SetCaption");
    probe::log_call("SDL_WM_SetCaption %s %s\n", probe::quoted(title).text,
                    probe::quoted(icon).text);
    real_caption(title, icon);
}

void SDL_WarpMouse(std::uint16_t x, std::uint16_t y) {
    static const auto real_warp =
        next_symbol<void (*)(std::uint16_t, std::uint16_t)>("SDL_WarpMouse");
    real_warp(x, y);
    probe::reach(Milestone::warp_end);
}

} // extern "C"
