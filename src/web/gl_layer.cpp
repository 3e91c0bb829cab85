// SPDX-License-Identifier: MIT
// The browser build's OpenGL 1.x (GL/gl.h, GL/glu.h) on WebGL: the matrix
// stacks live here, and glBegin/glEnd gathers the corners, each with the
// colour last given, into one buffer in wasm memory; glEnd hands that
// buffer and the projection times the model-view matrix to WebGL in one
// upload and one draw (gl_layer.js). Smooth shading and the perspective
// correction hint are what WebGL always does; colour material changes
// nothing without lighting; glFlush is the browser's at the end of the
// frame callback.
#include <GL/gl.h>
#include <GL/glu.h>

#include "web/gl_matrices.h"

#include <emscripten/console.h>

#include <array>
#include <cstddef>
#include <cstdlib>

// The WebGL side, in gl_layer.js.
extern "C" {
void webgl_viewport(int x, int y, int width, int height);
void webgl_clear_colour(float red, float green, float blue, float alpha);
void webgl_clear_depth(double depth);
void webgl_enable_depth_test();
void webgl_depth_function(unsigned int function);
void webgl_clear(unsigned int buffers);
void webgl_draw_triangles(const float* corners, int count, const float* matrix);
}

namespace {

// OpenGL's smallest stack depths, which the flight stays well within.
constexpr int MODEL_VIEW_DEPTH = 32;
constexpr int PROJECTION_DEPTH = 2;
constexpr std::size_t CORNER_FLOATS = 6; // x, y, z, red, green, blue

struct MatrixStack {
    std::array<Matrix4, MODEL_VIEW_DEPTH> levels;
    int depth; // levels that may be used
    int top;
};

struct Layer {
    MatrixStack model_view{{IDENTITY_MATRIX}, MODEL_VIEW_DEPTH, 0};
    MatrixStack projection{{IDENTITY_MATRIX}, PROJECTION_DEPTH, 0};
    MatrixStack* current = &model_view;
    float colour[3] = {1, 1, 1};
    // The corners since glBegin; the storage is kept from one glEnd to the
    // next glBegin, so that after the first frame nothing is allocated.
    float* corners = nullptr;
    std::size_t capacity = 0; // floats
    // Where the next corner goes, and the end of the storage: both null
    // outside glBegin and glEnd, so that one comparison finds a vertex there
    // as well as a full storage.
    float* next = nullptr;
    float* end = nullptr;
    bool inside_begin = false;
    Matrix4 transform{}; // the projection times the model-view matrix, for the draw
};
Layer layer;

// A call that OpenGL would refuse and the flight never makes (a matrix
// stack overflowed or emptied, glBegin inside glBegin, ...): rather than
// draw on as if it had not been made, the program stops with `message` on
// the browser's console, and the page says that it has stopped on an error.
[[noreturn]] void fail(const char* message) {
    emscripten_console_error(message);
    std::abort();
}

// Makes room for one more corner between glBegin and glEnd.
void make_room() {
    if (!layer.inside_begin) {
        fail("glVertex3fv outside glBegin and glEnd");
    }
    const std::size_t used = static_cast<std::size_t>(layer.next - layer.corners);
    const std::size_t capacity = layer.capacity * 2 + 3 * CORNER_FLOATS;
    void* const grown = std::realloc(layer.corners, capacity * sizeof(float));
    if (grown == nullptr) {
        fail("no memory for the corners between glBegin and glEnd");
    }
    layer.corners = static_cast<float*>(grown);
    layer.capacity = capacity;
    layer.next = layer.corners + used;
    layer.end = layer.corners + capacity;
}

Matrix4& current_matrix() {
    return layer.current->levels[static_cast<std::size_t>(layer.current->top)];
}

// OpenGL refuses every call but glColor, glVertex and glEnd between glBegin
// and glEnd.
void outside_begin(const char* message) {
    if (layer.inside_begin) {
        fail(message);
    }
}

} // namespace

extern "C" {

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    outside_begin("glViewport between glBegin and glEnd");
    webgl_viewport(x, y, width, height);
}

void glMatrixMode(GlMatrixMode mode) {
    outside_begin("glMatrixMode between glBegin and glEnd");
    layer.current = mode == GL_PROJECTION ? &layer.projection : &layer.model_view;
}

void glLoadIdentity() {
    outside_begin("glLoadIdentity between glBegin and glEnd");
    current_matrix() = IDENTITY_MATRIX;
}

void glPushMatrix() {
    outside_begin("glPushMatrix between glBegin and glEnd");
    MatrixStack& stack = *layer.current;
    if (stack.top + 1 == stack.depth) {
        fail("glPushMatrix on a full matrix stack");
    }
    const auto top = static_cast<std::size_t>(stack.top);
    stack.levels[top + 1] = stack.levels[top];
    ++stack.top;
}

void glPopMatrix() {
    outside_begin("glPopMatrix between glBegin and glEnd");
    if (layer.current->top == 0) {
        fail("glPopMatrix on a matrix stack of one matrix");
    }
    --layer.current->top;
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble z_near, GLdouble z_far) {
    outside_begin("gluPerspective between glBegin and glEnd");
    matrix_perspective(current_matrix(), fovy, aspect, z_near, z_far);
}

void gluLookAt(GLdouble eye_x, GLdouble eye_y, GLdouble eye_z, GLdouble center_x, GLdouble center_y,
               GLdouble center_z, GLdouble up_x, GLdouble up_y, GLdouble up_z) {
    outside_begin("gluLookAt between glBegin and glEnd");
    const double eye[3] = {eye_x, eye_y, eye_z};
    const double centre[3] = {center_x, center_y, center_z};
    const double up[3] = {up_x, up_y, up_z};
    matrix_look_at(current_matrix(), eye, centre, up);
}

void glShadeModel(GlShadingModel) {
    outside_begin("glShadeModel between glBegin and glEnd");
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    outside_begin("glClearColor between glBegin and glEnd");
    webgl_clear_colour(red, green, blue, alpha);
}

void glClearDepth(GLclampd depth) {
    outside_begin("glClearDepth between glBegin and glEnd");
    webgl_clear_depth(depth);
}

void glEnable(GlCapability capability) {
    outside_begin("glEnable between glBegin and glEnd");
    if (capability == GL_DEPTH_TEST) {
        webgl_enable_depth_test();
    }
}

void glDepthFunc(GlDepthFunction function) {
    outside_begin("glDepthFunc between glBegin and glEnd");
    webgl_depth_function(function);
}

void glHint(GlHintTarget, GlHintMode) {
    outside_begin("glHint between glBegin and glEnd");
}

void glClear(GlBufferBits buffers) {
    outside_begin("glClear between glBegin and glEnd");
    webgl_clear(buffers);
}

// The browser hands the frame's commands on when the frame callback returns,
// which it does right after the flight's drawing: flushing before that
// only adds a round to the browser's GPU process.
void glFlush() {
    outside_begin("glFlush between glBegin and glEnd");
}

void glBegin(GlPrimitive) {
    outside_begin("glBegin between glBegin and glEnd");
    layer.inside_begin = true;
    layer.next = layer.corners;
    layer.end = layer.corners + layer.capacity;
}

void glColor3fv(const GLfloat* rgb) {
    layer.colour[0] = rgb[0];
    layer.colour[1] = rgb[1];
    layer.colour[2] = rgb[2];
}

void glVertex3fv(const GLfloat* xyz) {
    if (layer.next == layer.end) {
        make_room();
    }
    float* const corner = layer.next;
    corner[0] = xyz[0];
    corner[1] = xyz[1];
    corner[2] = xyz[2];
    corner[3] = layer.colour[0];
    corner[4] = layer.colour[1];
    corner[5] = layer.colour[2];
    layer.next = corner + CORNER_FLOATS;
}

void glEnd() {
    if (!layer.inside_begin) {
        fail("glEnd without glBegin");
    }
    // The corners of an unfinished last triangle are left out, as OpenGL
    // leaves them out.
    const auto count = static_cast<std::size_t>(layer.next - layer.corners) / CORNER_FLOATS / 3 * 3;
    layer.inside_begin = false;
    layer.next = nullptr;
    layer.end = nullptr;
    if (count == 0) {
        return;
    }
    layer.transform =
        matrix_multiply(layer.projection.levels[static_cast<std::size_t>(layer.projection.top)],
                        layer.model_view.levels[static_cast<std::size_t>(layer.model_view.top)]);
    webgl_draw_triangles(layer.corners, static_cast<int>(count), layer.transform.m);
}

} // extern "C"
