// SPDX-License-Identifier: MIT
// The probe's two logs, each written only when its variable names a file:
//
//   TUBEFLIGHT_PROBE_LOG=path       one line "frame start_ns swap_ns flushes"
//                                   per swap: CLOCK_MONOTONIC just before the
//                                   real swap, how long the real swap took,
//                                   and how many glFlush calls the program
//                                   made since the previous swap
//   TUBEFLIGHT_PROBE_CALLS_LOG=path one line per call of SDL, in order:
//                                     SDL_Init 0xflags ok|fail
//                                     SDL_SetVideoMode width height bpp 0xflags ok|null
//                                     SDL_WM_SetCaption "title" "icon"  (null unquoted)
//                                     SDL_Quit frames-swapped
//                                   and before each SDL_Init "scaling value": the
//                                   program's SDL12COMPAT_OPENGL_SCALING as SDL
//                                   starts, "unset" when there is none
#include "probe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace probe {
namespace {

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

} // namespace

void log_swap(long frame, long long start_ns, long long swap_ns, long flushes) {
    static const char* const path = env_value("TUBEFLIGHT_PROBE_LOG");
    if (path == nullptr) {
        return;
    }
    char line[128];
    std::snprintf(line, sizeof line, "%ld %lld %lld %ld\n", frame, start_ns, swap_ns, flushes);
    append_line(path, line);
}

void log_call(const char* format, ...) {
    static const char* const path = env_value("TUBEFLIGHT_PROBE_CALLS_LOG");
    if (path == nullptr) {
        return;
    }
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    append_line(path, line);
}

Quoted quoted(const char* text) {
    Quoted q;
    if (text != nullptr) {
        std::snprintf(q.text, sizeof q.text, "\"%.100s\"", text);
    } else {
        std::snprintf(q.text, sizeof q.text, "null");
    }
    return q;
}

} // namespace probe
