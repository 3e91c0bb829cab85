// SPDX-License-Identifier: MIT
// The recorder's stream: for scripts/record-headless, the probe hands every
// frame the flight draws to a video encoder, so that the recording holds one
// picture per frame of the flight whatever the load: a grab of the screen
// at its own clock would repeat or miss frames whenever the two clocks drift
// apart.
//
//   TUBEFLIGHT_RECORD_FD=N      the back buffer of each frame, read just
//                               before its swap, is written to descriptor N
//                               as 640 x 480 packed RGB bytes, bottom row
//                               first; writing blocks, so a slow reader
//                               slows the flight down rather than losing
//                               frames
//   TUBEFLIGHT_RECORD_FRAMES=M  after M frames the descriptor is closed,
//                               which tells the reader that the recording is
//                               complete
//
// If the reader goes away early, the write raises SIGPIPE, which ends the
// flight as it ends any writer to a closed pipe. Nothing else of the
// program changes.
#include "probe.h"
#include "read_frame.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace probe {
namespace {

struct Recording {
    int fd = -1;
    long frames_left = 0;
    std::vector<unsigned char> picture;
};

Recording start_recording() {
    Recording recording;
    const char* fd = env_value("TUBEFLIGHT_RECORD_FD");
    const char* frames = env_value("TUBEFLIGHT_RECORD_FRAMES");
    if (fd != nullptr && frames != nullptr) {
        recording.fd = static_cast<int>(std::strtol(fd, nullptr, 10));
        recording.frames_left = std::strtol(frames, nullptr, 10);
        recording.picture.resize(static_cast<std::size_t>(WIDTH) * HEIGHT * 3);
    }
    return recording;
}

bool write_all(int fd, const unsigned char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

void record_frame() {
    static Recording recording = start_recording();
    if (recording.fd < 0) {
        return;
    }
    read_frame_rgb(recording.picture.data());
    if (!write_all(recording.fd, recording.picture.data(), recording.picture.size()) ||
        --recording.frames_left <= 0) {
        close(recording.fd);
        recording.fd = -1;
    }
}

} // namespace probe
