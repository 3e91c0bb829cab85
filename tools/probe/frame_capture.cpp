// SPDX-License-Identifier: MIT
// Frame capture:
//
//   TUBEFLIGHT_PROBE_FRAMES=10,370  with TUBEFLIGHT_PROBE_DIR=dir: the back
//                                   buffer of those frames, read before their
//                                   swap, as dir/frame-0010.ppm (P6, top row
//                                   first)
#include "probe.h"
#include "read_frame.h"

#include <cstdio>
#include <cstdlib>

namespace probe {
namespace {

constexpr int MAX_CAPTURES = 64;

struct Captures {
    const char* dir = nullptr;
    long frames[MAX_CAPTURES] = {};
    int count = 0;
};

Captures read_captures() {
    Captures captures;
    captures.dir = env_value("TUBEFLIGHT_PROBE_DIR");
    if (const char* list = env_value("TUBEFLIGHT_PROBE_FRAMES")) {
        const char* cursor = list;
        while (*cursor != '\0' && captures.count < MAX_CAPTURES) {
            char* end = nullptr;
            const long frame = std::strtol(cursor, &end, 10);
            if (end == cursor) {
                break;
            }
            captures.frames[captures.count++] = frame;
            cursor = *end == ',' ? end + 1 : end;
        }
    }
    return captures;
}

bool listed(const Captures& captures, long frame) {
    for (int i = 0; i < captures.count; ++i) {
        if (captures.frames[i] == frame) {
            return true;
        }
    }
    return false;
}

} // namespace

void capture_frame(long frame) {
    static const Captures captures = read_captures();
    if (captures.dir == nullptr || !listed(captures, frame)) {
        return;
    }
    const std::size_t row = static_cast<std::size_t>(WIDTH) * 3;
    auto* pixels = static_cast<unsigned char*>(std::malloc(row * HEIGHT));
    if (pixels == nullptr) {
        return;
    }
    read_frame_rgb(pixels);

    char path[4096];
    char partial[4096 + 8];
    std::snprintf(path, sizeof path, "%s/frame-%04ld.ppm", captures.dir, frame);
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

} // namespace probe
