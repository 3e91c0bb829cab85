// SPDX-License-Identifier: MIT
#include "gl_window.h"

#include "app/gl_state.h"

#include <GL/gl.h>

#include <string>

namespace {

// Reads come from the buffer being drawn, as the program sees it: the back
// buffer, or the framebuffer object that SDL may draw through (in which case
// naming GL_BACK would be an error), so the read buffer is left as it is.
void read_rgb(int x, int y, int width, int height, unsigned char* rgb) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
}

} // namespace

bool open_gl_window(Uint32 subsystems) {
    if (SDL_Init(subsystems) != 0) {
        return false;
    }
    if (SDL_SetVideoMode(640, 480, 32, SDL_HWSURFACE | SDL_OPENGL | SDL_DOUBLEBUF) == nullptr) {
        // SDL_Quit may clear the reason; it is kept for the caller.
        const std::string reason = SDL_GetError();
        SDL_Quit();
        SDL_SetError("%s", reason.c_str());
        return false;
    }
    init_gl_state();
    return true;
}

void close_gl_window() {
    SDL_Quit();
}

void read_back_buffer(unsigned char* rgb) {
    read_rgb(0, 0, 640, 480, rgb);
}

void read_pixel(int x, int y, unsigned char rgb[3]) {
    read_rgb(x, y, 1, 1, rgb);
}
