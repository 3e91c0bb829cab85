// SPDX-License-Identifier: MIT
#pragma once

#include "geometry/vec3.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// One tube vertex: position, then colour. The colour holds the unscaled
// pattern values (0, 2, 3 or 4); OpenGL clamps them when drawing.
struct Vertex {
    float x;
    float y;
    float z;
    float red;
    float green;
    float blue;
};
// Drawing hands &x and &red to OpenGL as arrays of three floats.
static_assert(sizeof(Vertex) == 6 * sizeof(float) && offsetof(Vertex, red) == 3 * sizeof(float),
              "Vertex must be six packed floats, colour after position");

// Corner indices into the vertex array, drawn in the order a, b, c.
struct Triangle {
    std::int32_t a;
    std::int32_t b;
    std::int32_t c;
};

struct TubeMesh {
    std::vector<Vertex> vertices;    // rings * sides
    std::vector<Triangle> triangles; // 2 * rings * sides
    // The counts that the topology was built for: as many vertices in other
    // rings and sides have other neighbours.
    int rings = 0;
    int sides = 0;
};

constexpr int RINGS = 256;
constexpr int SIDES = 16;

// The curve point at the centre of ring `ring` of `rings` (0 <= ring <=
// rings): the knot at the angle multiples 3 and 4 times ring * 2 pi / rings,
// each rounded to float before the trigonometry.
Vec3 ring_centre(int ring, int rings);

// Set once the first build has sized the arrays and filled topology and
// colours; later builds of a mesh of the same size only recompute positions.
extern bool mesh_built;

// Builds a closed tube of radius 0.5 around the knot curve: `rings` circles
// of `sides` vertices, joined by one helical strip of triangles, with a
// six-colour pattern. Throws std::invalid_argument unless both counts are
// positive and rings * sides fits a 32-bit index, and std::bad_alloc when
// the arrays cannot be obtained.
void build_tube_mesh(int rings, int sides, TubeMesh& mesh);
