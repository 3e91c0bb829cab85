#include "draw_variants.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <cstddef>
#include <cstdint>

namespace {

using Color3fv = void (*)(const GLfloat*);
using Vertex3fv = void (*)(const GLfloat*);

void begin_frame(const Camera& camera) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.target.x, camera.target.y,
              camera.target.z, camera.up.x, camera.up.y, camera.up.z);
}

void end_frame() {
    glPopMatrix();
    glFlush();
}

} // namespace

void draw_scene_copy(const Camera& camera, const TubeMesh& mesh) {
    begin_frame(camera);
    const Vertex* const vertices = mesh.vertices.data();
    glBegin(GL_TRIANGLES);
    for (const Triangle& triangle : mesh.triangles) {
        const Vertex& a = vertices[triangle.a];
        const Vertex& b = vertices[triangle.b];
        const Vertex& c = vertices[triangle.c];
        glColor3fv(&a.red);
        glVertex3fv(&a.x);
        glColor3fv(&b.red);
        glVertex3fv(&b.x);
        glColor3fv(&c.red);
        glVertex3fv(&c.x);
    }
    glEnd();
    end_frame();
}

void draw_scene_proc_pointers(const Camera& camera, const TubeMesh& mesh) {
    static const auto color3fv = reinterpret_cast<Color3fv>(SDL_GL_GetProcAddress("glColor3fv"));
    static const auto vertex3fv = reinterpret_cast<Vertex3fv>(SDL_GL_GetProcAddress("glVertex3fv"));
    begin_frame(camera);
    const Vertex* const vertices = mesh.vertices.data();
    glBegin(GL_TRIANGLES);
    for (const Triangle& triangle : mesh.triangles) {
        const Vertex& a = vertices[triangle.a];
        const Vertex& b = vertices[triangle.b];
        const Vertex& c = vertices[triangle.c];
        color3fv(&a.red);
        vertex3fv(&a.x);
        color3fv(&b.red);
        vertex3fv(&b.x);
        color3fv(&c.red);
        vertex3fv(&c.x);
    }
    glEnd();
    end_frame();
}

void draw_scene_flat_corners(const Camera& camera, const TubeMesh& mesh) {
    static_assert(sizeof(Triangle) == 3 * sizeof(std::int32_t), "Triangle must be packed");
    begin_frame(camera);
    const Vertex* const vertices = mesh.vertices.data();
    const std::int32_t* corner = &mesh.triangles.data()->a;
    const std::int32_t* const end = corner + 3 * mesh.triangles.size();
    glBegin(GL_TRIANGLES);
    for (; corner != end; ++corner) {
        const Vertex& v = vertices[*corner];
        glColor3fv(&v.red);
        glVertex3fv(&v.x);
    }
    glEnd();
    end_frame();
}
