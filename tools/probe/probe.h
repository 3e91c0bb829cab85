// SPDX-License-Identifier: MIT
#pragma once

// tubeflight_probe: loaded into the flight with LD_PRELOAD, it watches the
// frame loop from outside without changing what the program does, for the
// tests, the benchmarks and scripts/record-headless alike. Its hooks
// (hooks.cpp) forward every call to the next definition of its symbol and
// tell the modes below; each mode is off unless its own environment
// variables switch it on. Frames are numbered from 1, the first swap.

#include <dlfcn.h>

#include <cstdlib>

namespace probe {

// The size of the frame the flight draws.
constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;

// The value of the environment variable `name`; null when unset or empty.
inline const char* env_value(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

// The definition of `name` that the probe's own one stands in front of.
template <typename Function> Function next_symbol(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (symbol == nullptr) {
        std::abort(); // the probe was loaded into something that is not SDL 1.2
    }
    return reinterpret_cast<Function>(symbol);
}

// logs.cpp: the swap log and the calls log.
void log_swap(long frame, long long start_ns, long long swap_ns, long flushes);
__attribute__((format(printf, 1, 2))) void log_call(const char* format, ...);
// A string argument as the calls log shows it: in quotes, or null.
struct Quoted {
    char text[104];
};
Quoted quoted(const char* text);

// frame_capture.cpp: saves frame `frame` as an image if it is asked for.
void capture_frame(long frame);

// record_stream.cpp: hands the frame to the recorder's encoder if there is one.
void record_frame();

// startup_milestones.cpp: notes a start-up milestone the first time it is
// reached (the first clear only after the warp, the first flush only after
// that clear).
enum class Milestone {
    sdl_init_begin,
    sdl_init_end,
    video_mode_begin,
    video_mode_end,
    warp_end,
    first_clear,
    first_flush_end,
};
void reach(Milestone milestone);

} // namespace probe
