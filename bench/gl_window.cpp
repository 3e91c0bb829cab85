#include "gl_window.h"

#include "app/flight.h"
#include "app/gl_state.h"

#include <GL/gl.h>
#include <SDL.h>

bool open_gl_window() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    if (SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, WINDOWED_VIDEO_FLAGS) ==
        nullptr) {
        SDL_Quit();
        return false;
    }
    init_gl_state();
    return true;
}

void read_back_buffer(unsigned char* rgb) {
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, rgb);
}
