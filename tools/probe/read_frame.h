// SPDX-License-Identifier: MIT
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

// Reads the 640x480 frame the program has just drawn into `rgb` (640 * 480 * 3
// bytes, packed RGB, bottom row first), for the probe's captures and stream,
// the GL tests and the floor check. The colour buffer is read from whatever framebuffer
// is bound for reading: the window's back buffer, or the off-screen one that
// sdl12-compat draws into when it scales. Pixel-store and read-buffer state
// are put back afterwards, so the program sees no change.
inline void read_frame_rgb(unsigned char* rgb) {
    GLint pack_alignment = 4;
    GLint read_buffer = GL_BACK;
    GLint read_framebuffer = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack_alignment);
    glGetIntegerv(GL_READ_BUFFER, &read_buffer);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read_framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (read_framebuffer == 0) {
        glReadBuffer(GL_BACK);
    }
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    if (read_framebuffer == 0) {
        glReadBuffer(static_cast<GLenum>(read_buffer));
    }
    glPixelStorei(GL_PACK_ALIGNMENT, pack_alignment);
}
