// SPDX-License-Identifier: MIT
#include "gl_fixture.h"

#include "app/shared_steps.h"
#include "read_frame.h"
#include <SDL.h>

#include <GL/gl.h>

#include <cstdlib>

::testing::AssertionResult colour_near(const char* got_text, const char*, const char*,
                                       const Rgb& got, const Rgb& want, int tolerance) {
    if (std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
        std::abs(got.b - want.b) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << got_text << " is (" << got.r << ", " << got.g << ", " << got.b << "), expected ("
           << want.r << ", " << want.g << ", " << want.b << ") within " << tolerance;
}

void GlWindow::SetUp() {
    // The windowed flight's mode: a 640x480 double-buffered OpenGL window.
    ASSERT_TRUE(start_flight(SDL_HWSURFACE | SDL_OPENGL | SDL_DOUBLEBUF)) << SDL_GetError();
    open_ = true;
}

void GlWindow::TearDown() {
    if (open_) {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        SDL_Quit();
    }
}

std::vector<Rgb> GlWindow::read_back() const {
    std::vector<unsigned char> bytes(640 * 480 * 3);
    read_frame_rgb(bytes.data());
    std::vector<Rgb> pixels(640 * 480);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
    }
    return pixels;
}

Rgb GlWindow::probe(int x, int y) const {
    return read_back()[static_cast<std::size_t>(y) * 640 + x];
}
