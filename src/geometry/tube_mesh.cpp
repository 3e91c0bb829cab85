// SPDX-License-Identifier: MIT
#include "geometry/tube_mesh.h"

#include "geometry/angles.h"
#include "geometry/knot.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <stdexcept>

bool mesh_built = false;

Vec3 ring_centre(int ring, int rings) {
    // In double: 4 * ring would leave int for ring counts that the validation
    // accepts (more than 2^29 rings of three sides or fewer).
    const double i = ring;
    const float a = static_cast<float>(3 * i * TWO_PI_APPROX / rings);
    const float b = static_cast<float>(4 * i * TWO_PI_APPROX / rings);
    return knot_point_at(a, b);
}

namespace {

// Each vertex v starts two triangles towards the next side (v + 1) and the
// next ring (v + sides). Stepping the running index, rather than wrapping the
// side within its ring, makes the surface one strip that winds helically
// through all rings; the modulo closes the last rings onto the first.
void fill_topology(int sides, TubeMesh& mesh) {
    const std::int64_t n = static_cast<std::int64_t>(mesh.vertices.size());
    const auto at = [n](std::int64_t index) { return static_cast<std::int32_t>(index % n); };
    for (std::int64_t v = 0; v < n; ++v) {
        mesh.triangles[2 * v] = Triangle{at(v + sides + 1), at(v + sides), at(v)};
        mesh.triangles[2 * v + 1] = Triangle{at(v), at(v + 1), at(v + sides + 1)};
    }
}

// Six colours repeating every six vertices, stored unscaled. The modulus is
// two pi rounded to the nearest integer.
void fill_colours(TubeMesh& mesh) {
    const std::int64_t modulus = std::lround(TWO_PI_APPROX);
    const std::int64_t n = static_cast<std::int64_t>(mesh.vertices.size());
    for (std::int64_t k = 0; k < n; ++k) {
        Vertex& vertex = mesh.vertices[k];
        vertex.red = static_cast<float>((3 * k) % modulus);
        vertex.green = static_cast<float>((15 * k) % modulus);
        vertex.blue = static_cast<float>((8 * k) % modulus);
    }
}

// Each ring is a circle of radius 0.5 around its curve point P0, in the plane
// of Nrm and B. The chord T to the next point orients the ring; P0 + P1
// gives the reference direction, of which Nrm is the part across the chord.
void fill_positions(int rings, int sides, TubeMesh& mesh) {
    std::size_t v = 0;
    for (int i = 0; i < rings; ++i) {
        const Vec3 p0 = ring_centre(i, rings);
        const Vec3 p1 = ring_centre(i + 1, rings);
        Vec3 t;
        Vec3 m;
        Vec3 b;
        Vec3 nrm;
        vec_sub(p1, p0, t);
        vec_add(p1, p0, m);
        vec_cross(t, m, b);
        vec_cross(b, t, nrm);
        vec_normalize(b);
        vec_normalize(nrm);
        for (int k = 0; k < sides; ++k) {
            const double phi = k * TWO_PI_APPROX / sides;
            const double s = std::sin(phi) * 0.5;
            const double c = std::cos(phi) * 0.5;
            Vertex& vertex = mesh.vertices[v];
            vertex.x = static_cast<float>(s * nrm.x + c * b.x + p0.x);
            vertex.y = static_cast<float>(s * nrm.y + c * b.y + p0.y);
            vertex.z = static_cast<float>(s * nrm.z + c * b.z + p0.z);
            ++v;
        }
    }
}

} // namespace

void build_tube_mesh(int rings, int sides, TubeMesh& mesh) {
    // Triangle corners are 32-bit indices: every vertex must be reachable.
    if (rings <= 0 || sides <= 0 || rings > std::numeric_limits<std::int32_t>::max() / sides) {
        throw std::invalid_argument("tube counts must be positive with a 32-bit product");
    }
    const std::size_t n = static_cast<std::size_t>(rings) * static_cast<std::size_t>(sides);
    // A mesh already built for these counts keeps its topology and colours.
    // Any other mesh is built in full, so that positions never land outside
    // arrays sized for different counts, nor in a strip of other neighbours.
    const bool sized = mesh.vertices.size() == n && mesh.triangles.size() == 2 * n;
    if (!mesh_built || !sized || rings != mesh.rings || sides != mesh.sides) {
        mesh.vertices.assign(n, Vertex{});
        mesh.triangles.assign(2 * n, Triangle{});
        fill_topology(sides, mesh);
        fill_colours(mesh);
        mesh_built = true;
        mesh.rings = rings;
        mesh.sides = sides;
    }
    fill_positions(rings, sides, mesh);
}
