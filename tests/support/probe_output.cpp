// SPDX-License-Identifier: MIT
#include "probe_output.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace e2e {

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
