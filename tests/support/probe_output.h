// SPDX-License-Identifier: MIT
#pragma once

// Reading what the probe library writes: the swap log and captured frames.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// One line of the swap log.
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
