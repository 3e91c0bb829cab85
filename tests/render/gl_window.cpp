#include "gl_window.h"

#include "app/gl_state.h"

#include <GL/gl.h>
#include <SDL.h>

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
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ASSERT_NE(SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, SDL_OPENGL | SDL_DOUBLEBUF),
              nullptr)
        << SDL_GetError();
    open_ = true;
    init_gl_state();
    // Reads come from the buffer being drawn, as the program sees it: the
    // back buffer, or the framebuffer object that SDL may draw through (in
    // which case naming GL_BACK would be an error).
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
}

void GlWindow::TearDown() {
    if (open_) {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    SDL_Quit();
}

std::vector<Rgb> GlWindow::read_back() const {
    std::vector<unsigned char> bytes(SCREEN_WIDTH * SCREEN_HEIGHT * 3);
    glReadPixels(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
    std::vector<Rgb> pixels(SCREEN_WIDTH * SCREEN_HEIGHT);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
    }
    return pixels;
}

Rgb GlWindow::probe(int x, int y) const {
    unsigned char bytes[3] = {};
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, bytes);
    return {bytes[0], bytes[1], bytes[2]};
}
