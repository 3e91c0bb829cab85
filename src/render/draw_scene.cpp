// SPDX-License-Identifier: MIT
#include "render/draw_scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

void start_frame(const Camera& camera) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.target.x, camera.target.y,
              camera.target.z, camera.up.x, camera.up.y, camera.up.z);
}

void end_frame() {
    glPopMatrix();
    // Hand the frame to the renderer now, so that a renderer which only
    // rasterises at a flush draws during the frame wait, not after it.
    glFlush();
}

void draw_scene(const Camera& camera, const TubeMesh& mesh) {
    start_frame(camera);

    // Colours go to OpenGL unscaled; the pipeline clamps them to [0, 1].
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
