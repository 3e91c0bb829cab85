// SPDX-License-Identifier: MIT
#include "gl_fixture.h"

#include "gl_window.h"

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
    ASSERT_TRUE(open_gl_window()) << SDL_GetError();
    open_ = true;
}

void GlWindow::TearDown() {
    if (open_) {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        close_gl_window();
    }
}

std::vector<Rgb> GlWindow::read_back() const {
    std::vector<unsigned char> bytes(640 * 480 * 3);
    read_back_buffer(bytes.data());
    std::vector<Rgb> pixels(640 * 480);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
    }
    return pixels;
}

Rgb GlWindow::probe(int x, int y) const {
    unsigned char bytes[3] = {};
    read_pixel(x, y, bytes);
    return {bytes[0], bytes[1], bytes[2]};
}
