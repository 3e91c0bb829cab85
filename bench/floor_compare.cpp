// SPDX-License-Identifier: MIT
// tubeflight_floor_compare: checks that draw_floor puts the same pixels on the
// screen as draw_scene. For the start-up view and for camera steps spread
// over a whole lap it draws the frame both ways into the back buffer, reads
// both back and compares them channel by channel.
//
// Prints one line per view and a summary; exits 0 when every view matches
// within the tolerance, 1 when one does not, 2 without a GL window.
#include "floor_draw.h"
#include "read_frame.h"

#include "app/gl_state.h"
#include "app/shared_steps.h"
#include "app/video_flags.h"
#include "camera/camera.h"
#include "geometry/tube_mesh.h"
#include "render/draw_scene.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// A channel may differ by one step of 8-bit rounding, and at most this share
// of the pixels may differ at all (edge pixels that two vertex paths
// rasterise on either side of a tie).
constexpr int CHANNEL_TOLERANCE = 1;
constexpr double DIFFERING_SHARE_LIMIT = 0.001;
// A view must show the tube, not just the clear colour.
constexpr double LIT_SHARE_MINIMUM = 0.05;

struct FrameDifference {
    int max_channel_difference = 0;
    long differing_pixels = 0;
    long lit_pixels = 0;
};

FrameDifference compare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    FrameDifference result;
    for (std::size_t p = 0; p + 2 < a.size(); p += 3) {
        int pixel_max = 0;
        for (std::size_t c = 0; c < 3; ++c) {
            const int d = std::abs(static_cast<int>(a[p + c]) - static_cast<int>(b[p + c]));
            pixel_max = d > pixel_max ? d : pixel_max;
        }
        if (pixel_max > CHANNEL_TOLERANCE) {
            ++result.differing_pixels;
        }
        if (a[p] != 0 || a[p + 1] != 0 || a[p + 2] != 0) {
            ++result.lit_pixels;
        }
        result.max_channel_difference =
            pixel_max > result.max_channel_difference ? pixel_max : result.max_channel_difference;
    }
    return result;
}

} // namespace

int main(int, char**) {
    if (!start_flight(WINDOWED_VIDEO_FLAGS)) {
        std::fprintf(stderr, "tubeflight_floor_compare: no OpenGL window\n");
        return 2;
    }
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    TubeMesh mesh;
    build_tube_mesh(RINGS, SIDES, mesh);

    const long pixels = static_cast<long>(SCREEN_WIDTH) * SCREEN_HEIGHT;
    std::vector<unsigned char> scene(static_cast<std::size_t>(pixels) * 3);
    std::vector<unsigned char> floor_frame(scene.size());

    Camera camera = START_CAMERA;
    std::int32_t path_step = 0;
    bool all_match = true;
    int views = 0;
    // The start-up view, then every 15th step of one lap, ending on step 0.
    for (int frame = 0; frame <= LAP_STEPS; ++frame) {
        if (frame > 0) {
            camera_step(camera, path_step);
        }
        if (frame % 15 != 0) {
            continue;
        }
        draw_scene(camera, mesh);
        read_frame_rgb(scene.data());
        draw_floor(camera, mesh);
        read_frame_rgb(floor_frame.data());

        const FrameDifference d = compare(scene, floor_frame);
        const double differing_share = static_cast<double>(d.differing_pixels) / pixels;
        const double lit_share = static_cast<double>(d.lit_pixels) / pixels;
        const bool match =
            differing_share <= DIFFERING_SHARE_LIMIT && lit_share >= LIT_SHARE_MINIMUM;
        all_match = all_match && match;
        ++views;
        char view[16];
        if (frame == 0) {
            std::snprintf(view, sizeof view, "start-up");
        } else {
            std::snprintf(view, sizeof view, "step %d", path_step);
        }
        std::printf("%-9s lit %5.1f%%  differing %6ld px  max channel difference %3d  %s\n", view,
                    100.0 * lit_share, d.differing_pixels, d.max_channel_difference,
                    match ? "ok" : "MISMATCH");
    }
    std::printf("%d views: %s\n", views, all_match ? "floor draws the same pixels" : "MISMATCH");
    SDL_Quit();
    return all_match ? 0 : 1;
}
