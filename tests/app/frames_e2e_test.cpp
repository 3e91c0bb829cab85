// SPDX-License-Identifier: MIT
// Frames read back from the windowed executable while it flies.
#include "flight_checks.h"
#include "harness.h"
#include "probe_output.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace e2e;

namespace {

constexpr long LAP = 360;
// Rasterisation may round the two channels of one interpolated colour apart.
constexpr int RED_GREEN_TOLERANCE = 2;

struct Pixel {
    int r;
    int g;
    int b;
};

Pixel pixel_at(const Image& image, std::size_t index) {
    return {image.rgb[3 * index], image.rgb[3 * index + 1], image.rgb[3 * index + 2]};
}

bool near(const Pixel& p, const Pixel& colour) {
    constexpr int CLOSE = 24;
    return std::abs(p.r - colour.r) <= CLOSE && std::abs(p.g - colour.g) <= CLOSE &&
           std::abs(p.b - colour.b) <= CLOSE;
}

} // namespace

TEST(Frames, TheLapClosesFramesMoveAndOnlyTubeColoursAreDrawn) {
    Session session;
    const std::vector<long> captured{10, 11, 100, 190, 280, 10 + LAP};
    const std::map<long, Image> images = fly_and_capture(session, built().windowed, captured);
    ASSERT_EQ(images.size(), captured.size());

    for (const auto& [frame, image] : images) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        ASSERT_EQ(image.width, 640);
        ASSERT_EQ(image.height, 480);
        // The vertex colours clamp to black, white, blue and yellow: red
        // always equals green, and smooth shading keeps it so. The eye is
        // inside the tube, so the tube fills the view and the black clear
        // colour shows almost nowhere; all four colours appear.
        const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
        std::size_t black = 0;
        std::size_t red_green_apart = 0;
        bool white = false;
        bool blue = false;
        bool yellow = false;
        for (std::size_t i = 0; i < pixels; ++i) {
            const Pixel p = pixel_at(image, i);
            red_green_apart += std::abs(p.r - p.g) > RED_GREEN_TOLERANCE ? 1 : 0;
            black += near(p, {0, 0, 0}) ? 1 : 0;
            white = white || near(p, {255, 255, 255});
            blue = blue || near(p, {0, 0, 255});
            yellow = yellow || near(p, {255, 255, 0});
        }
        EXPECT_EQ(red_green_apart, 0u);
        EXPECT_LT(black, pixels / 10);
        EXPECT_TRUE(white && blue && yellow)
            << "white " << white << ", blue " << blue << ", yellow " << yellow;
    }

    // One lap later the camera is back where it was, to the bit, and not
    // before: half a lap on, the view is another.
    EXPECT_TRUE(images.at(10).rgb == images.at(10 + LAP).rgb);
    EXPECT_FALSE(images.at(10).rgb == images.at(10 + LAP / 2).rgb);
    // Each frame moves the camera on.
    std::size_t changed = 0;
    for (std::size_t i = 0; i < images.at(10).rgb.size(); ++i) {
        changed += images.at(10).rgb[i] != images.at(11).rgb[i] ? 1 : 0;
    }
    EXPECT_GT(changed, images.at(10).rgb.size() / 10);
}

TEST(Frames, ClassicSdlDrawsTheFramesOfSdl12Compat) {
    skip_unless_present(Sdl::classic);
    if (IsSkipped()) {
        return;
    }
    const std::vector<long> captured{10, 100, 250};
    std::map<long, Image> compat;
    {
        Session session;
        compat = fly_and_capture(session, built().windowed, captured);
    }
    Session session;
    const std::map<long, Image> classic =
        fly_and_capture(session, built().windowed, captured, sdl_env(Sdl::classic));
    ASSERT_EQ(compat.size(), captured.size());
    ASSERT_EQ(classic.size(), captured.size());
    for (const long frame : captured) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        const std::vector<std::uint8_t>& a = compat.at(frame).rgb;
        const std::vector<std::uint8_t>& b = classic.at(frame).rgb;
        ASSERT_EQ(a.size(), b.size());
        std::size_t differing = 0;
        int largest = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const int difference = std::abs(a[i] - b[i]);
            differing += difference > 0 ? 1 : 0;
            largest = std::max(largest, difference);
        }
        // Both draw with the same Mesa; the visuals they pick may still
        // round a few colour values differently.
        EXPECT_LE(largest, 2);
        EXPECT_LT(differing, a.size() / 100);
    }
}
