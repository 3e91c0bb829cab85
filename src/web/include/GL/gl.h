// SPDX-License-Identifier: MIT
// OpenGL 1.x as the browser build has it (web/gl_layer.cpp, on WebGL): the
// calls and values that the flight's start-up state and drawing use, and
// nothing else. The build puts this header ahead of Emscripten's, so that
// any other call, mode or capability is a compile error instead of being
// ignored, or drawn wrongly, at run time. Each argument that takes a named
// value has an enumeration of its own holding only the values the layer
// draws: a value meant for another parameter, or a bare number, does not
// compile either.
#pragma once

#ifndef __cplusplus
#error "the browser build's OpenGL is declared for C++ only"
#endif

using GLint = int;
using GLsizei = int;
using GLbitfield = unsigned int;
using GLfloat = float;
using GLclampf = float;
using GLclampd = double;
using GLdouble = double;

enum GlMatrixMode : unsigned int { GL_MODELVIEW = 0x1700, GL_PROJECTION = 0x1701 };
enum GlShadingModel : unsigned int { GL_SMOOTH = 0x1D01 };
// Colour material has nothing to change without lighting, which the layer
// does not have: it is accepted, and vertices keep their own colours.
enum GlCapability : unsigned int { GL_DEPTH_TEST = 0x0B71, GL_COLOR_MATERIAL = 0x0B57 };
enum GlDepthFunction : unsigned int { GL_LEQUAL = 0x0203 };
enum GlHintTarget : unsigned int { GL_PERSPECTIVE_CORRECTION_HINT = 0x0C50 };
enum GlHintMode : unsigned int { GL_NICEST = 0x1102 };
enum GlPrimitive : unsigned int { GL_TRIANGLES = 0x0004 };
enum GlBufferBits : GLbitfield { GL_DEPTH_BUFFER_BIT = 0x0100, GL_COLOR_BUFFER_BIT = 0x4000 };

constexpr GlBufferBits operator|(GlBufferBits a, GlBufferBits b) {
    return static_cast<GlBufferBits>(static_cast<GLbitfield>(a) | static_cast<GLbitfield>(b));
}

extern "C" {

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void glMatrixMode(GlMatrixMode mode);
void glLoadIdentity();
void glPushMatrix();
void glPopMatrix();

void glShadeModel(GlShadingModel mode);
void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
void glClearDepth(GLclampd depth);
void glEnable(GlCapability capability);
void glDepthFunc(GlDepthFunction function);
void glHint(GlHintTarget target, GlHintMode mode);

void glClear(GlBufferBits buffers);
void glBegin(GlPrimitive primitive);
void glColor3fv(const GLfloat* rgb);
void glVertex3fv(const GLfloat* xyz);
void glEnd();
void glFlush();

} // extern "C"
