// SPDX-License-Identifier: MIT
// tubeflight_probe: loaded into the real executables with LD_PRELOAD, it
// watches the frame loop from the outside without changing what the program
// does. Everything is switched on by environment variables:
//
//   TUBEFLIGHT_PROBE_LOG=path       one line "frame start_ns swap_ns flushes"
//                                   per swap: CLOCK_MONOTONIC just before the
//                                   real swap, how long the real swap took,
//                                   and how many glFlush calls the program
//                                   made since the previous swap
//   TUBEFLIGHT_PROBE_FRAMES=10,370  with TUBEFLIGHT_PROBE_DIR=dir: the back
//                                   buffer of those frames, read before their
//                                   swap, as dir/frame-0010.ppm (P6, top row
//                                   first)
//   TUBEFLIGHT_PROBE_FAST_TICKS=1   SDL_GetTicks advances 16 ms per call, so
//                                   the frame wait never waits
//   TUBEFLIGHT_PROBE_STOP_AFTER=N   raise SIGTERM after the swap of frame N
//   TUBEFLIGHT_PROBE_HOLD_FIRST_SWAP=path
//                                   when frame 1 is drawn, create path and wait
//                                   until it is removed before swapping
//   TUBEFLIGHT_PROBE_CALLS_LOG=path one line per call of SDL, in order:
//                                     SDL_Init 0xflags ok|fail
//                                     SDL_SetVideoMode width height bpp 0xflags ok|null
//                                     SDL_WM_SetCaption "title" "icon"  (null unquoted)
//                                     SDL_Quit frames-swapped
//                                   and before each SDL_Init "scaling value": the
//                                   program's SDL12COMPAT_OPENGL_SCALING as SDL
//                                   starts, "unset" when there is none
//
// Frames are numbered from 1, the first swap.
#include "monotonic_clock.h"
#include "read_frame.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <atomic>
#include <csignal>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
constexpr std::uint32_t FAST_TICK_MS = 16;
constexpr int MAX_CAPTURES = 64;

struct ProbeConfig {
    const char* log_path = nullptr;
    const char* frame_dir = nullptr;
    long frames[MAX_CAPTURES] = {};
    int frame_count = 0;
    bool fast_ticks = false;
    long stop_after = 0;
    const char* hold_path = nullptr;
    const char* calls_log_path = nullptr;
};

const char* env_path(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

ProbeConfig read_config() {
    ProbeConfig config;
    config.log_path = env_path("TUBEFLIGHT_PROBE_LOG");
    config.frame_dir = env_path("TUBEFLIGHT_PROBE_DIR");
    config.hold_path = env_path("TUBEFLIGHT_PROBE_HOLD_FIRST_SWAP");
    config.calls_log_path = env_path("TUBEFLIGHT_PROBE_CALLS_LOG");
    const char* fast = env_path("TUBEFLIGHT_PROBE_FAST_TICKS");
    config.fast_ticks = fast != nullptr && std::strcmp(fast, "0") != 0;
    if (const char* stop = env_path("TUBEFLIGHT_PROBE_STOP_AFTER")) {
        config.stop_after = std::strtol(stop, nullptr, 10);
    }
    if (const char* list = env_path("TUBEFLIGHT_PROBE_FRAMES")) {
        const char* cursor = list;
        while (*cursor != '\0' && config.frame_count < MAX_CAPTURES) {
            char* end = nullptr;
            const long frame = std::strtol(cursor, &end, 10);
            if (end == cursor) {
                break;
            }
            config.frames[config.frame_count++] = frame;
            cursor = *end == ',' ? end + 1 : end;
        }
    }
    return config;
}

const ProbeConfig& config() {
    static const ProbeConfig loaded = read_config();
    return loaded;
}

template <typename Function> Function next_symbol(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (symbol == nullptr) {
        std::abort(); // the probe was loaded into something that is not SDL 1.2
    }
    return reinterpret_cast<Function>(symbol);
}

// Appends one whole line with a single write, so that a reader polling the
// file never sees half a line.
void append_line(const char* path, const char* line) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    const ssize_t ignored = write(fd, line, std::strlen(line));
    static_cast<void>(ignored);
    close(fd);
}

// One line of the calls log, printf style, when there is a log.
__attribute__((format(printf, 1, 2))) void log_call(const char* format, ...) {
    if (config().calls_log_path == nullptr) {
        return;
    }
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    append_line(config().calls_log_path, line);
}

// A string argument as the calls log shows it: in quotes, or null.
struct Quoted {
    char text[104];
};
Quoted quoted(const char* text) {
    Quoted q;
    if (text != nullptr) {
        std::snprintf(q.text, sizeof q.text, "\"%.100s\"", text);
    } else {
        std::snprintf(q.text, sizeof q.text, "null");
    }
    return q;
}

bool listed(const ProbeConfig& c, long frame) {
    for (int i = 0; i < c.frame_count; ++i) {
        if (c.frames[i] == frame) {
            return true;
        }
    }
    return false;
}

// Saves the frame the program has just drawn (read_frame.h).
void capture_frame(const char* dir, long frame) {
    const std::size_t row = static_cast<std::size_t>(WIDTH) * 3;
    auto* pixels = static_cast<unsigned char*>(std::malloc(row * HEIGHT));
    if (pixels == nullptr) {
        return;
    }
    read_frame_rgb(pixels);

    char path[4096];
    char partial[4096 + 8];
    std::snprintf(path, sizeof path, "%s/frame-%04ld.ppm", dir, frame);
    std::snprintf(partial, sizeof partial, "%s.part", path);
    if (FILE* file = std::fopen(partial, "wb")) {
        std::fprintf(file, "P6\n%d %d\n255\n", WIDTH, HEIGHT);
        // OpenGL rows run bottom to top; the image file runs top to bottom.
        for (int y = HEIGHT - 1; y >= 0; --y) {
            std::fwrite(pixels + static_cast<std::size_t>(y) * row, 1, row, file);
        }
        if (std::fclose(file) == 0) {
            std::rename(partial, path); // readers see only complete images
        }
    }
    std::free(pixels);
}

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

long frame_number = 0;
long flushes_since_swap = 0;

} // namespace

extern "C" {

void SDL_GL_SwapBuffers(void) {
    using SwapFunction = void (*)(void);
    static const SwapFunction real_swap = next_symbol<SwapFunction>("SDL_GL_SwapBuffers");
    const ProbeConfig& c = config();
    const long frame = ++frame_number;
    if (frame == 1 && c.hold_path != nullptr) {
        hold_until_removed(c.hold_path);
    }
    if (c.frame_dir != nullptr && listed(c, frame)) {
        capture_frame(c.frame_dir, frame);
    }
    const std::int64_t start = monotonic_ns();
    real_swap();
    const std::int64_t swap = monotonic_ns() - start;
    if (c.log_path != nullptr) {
        char line[128];
        std::snprintf(line, sizeof line, "%ld %lld %lld %ld\n", frame,
                      static_cast<long long>(start), static_cast<long long>(swap),
                      flushes_since_swap);
        append_line(c.log_path, line);
    }
    flushes_since_swap = 0;
    if (c.stop_after > 0 && frame == c.stop_after) {
        std::raise(SIGTERM);
    }
}

std::uint32_t SDL_GetTicks(void) {
    using TicksFunction = std::uint32_t (*)(void);
    static const TicksFunction real_ticks = next_symbol<TicksFunction>("SDL_GetTicks");
    if (!config().fast_ticks) {
        return real_ticks();
    }
    static std::atomic<std::uint32_t> fake_ms{real_ticks()};
    return fake_ms.fetch_add(FAST_TICK_MS);
}

void SDL_Quit(void) {
    using QuitFunction = void (*)(void);
    static const QuitFunction real_quit = next_symbol<QuitFunction>("SDL_Quit");
    log_call("SDL_Quit %ld\n", frame_number);
    real_quit();
}

void glFlush(void) {
    using FlushFunction = void (*)(void);
    static const FlushFunction real_flush = next_symbol<FlushFunction>("glFlush");
    ++flushes_since_swap;
    real_flush();
}

int SDL_Init(std::uint32_t flags) {
    using InitFunction = int (*)(std::uint32_t);
    static const InitFunction real_init = next_symbol<InitFunction>("SDL_Init");
    const char* scaling = std::getenv("SDL12COMPAT_OPENGL_SCALING");
    log_call("scaling %.70s\n", scaling != nullptr ? scaling : "unset");
    const int result = real_init(flags);
    log_call("SDL_Init 0x%08x %s\n", static_cast<unsigned>(flags), result == 0 ? "ok" : "fail");
    return result;
}

// Returns SDL_Surface*, which the probe never looks into.
void* SDL_SetVideoMode(int width, int height, int bpp, std::uint32_t flags) {
    using ModeFunction = void* (*)(int, int, int, std::uint32_t);
    static const ModeFunction real_mode = next_symbol<ModeFunction>("SDL_SetVideoMode");
    void* const surface = real_mode(width, height, bpp, flags);
    log_call("SDL_SetVideoMode %d %d %d 0x%08x %s\n", width, height, bpp,
             static_cast<unsigned>(flags), surface != nullptr ? "ok" : "null");
    return surface;
}

void SDL_WM_SetCaption(const char* title, const char* icon) {
    using CaptionFunction = void (*)(const char*, const char*);
    static const CaptionFunction real_caption = next_symbol<CaptionFunction>("SDL_WM_SetCaption");
    log_call("SDL_WM_SetCaption %s %s\n", quoted(title).text, quoted(icon).text);
    real_caption(title, icon);
}

} // extern "C"
