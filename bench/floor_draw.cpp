// SPDX-License-Identifier: MIT
#include "floor_draw.h"

#include "render/draw_scene.h"

#include <GL/gl.h>

void draw_floor(const Camera& camera, const TubeMesh& mesh) {
    start_frame(camera);
    if (!mesh.triangles.empty()) {
        const Vertex* const vertices = mesh.vertices.data();
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &vertices->x);
        glColorPointer(3, GL_FLOAT, sizeof(Vertex), &vertices->red);
        // Triangle is three packed int32 corner indices, all non-negative.
        static_assert(sizeof(Triangle) == 3 * sizeof(GLuint), "Triangle must be packed");
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * mesh.triangles.size()),
                       GL_UNSIGNED_INT, mesh.triangles.data());
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    end_frame();
}
