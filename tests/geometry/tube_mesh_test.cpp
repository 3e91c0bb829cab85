// SPDX-License-Identifier: MIT
#include "geometry/knot.h"
#include "geometry/tube_mesh.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

// Every test runs in a fresh process, so the first build_tube_mesh of a
// test is the process's first.

namespace {

using Corners = std::array<std::int32_t, 3>;
using Colour = std::array<float, 3>;

Corners corners(const Triangle& t) {
    return {t.a, t.b, t.c};
}
Colour colour(const Vertex& v) {
    return {v.red, v.green, v.blue};
}

const Colour CYCLE[6] = {{0, 0, 0}, {3, 3, 2}, {0, 0, 4}, {3, 3, 0}, {0, 0, 2}, {3, 3, 4}};

// The same bytes in both, as in a mesh built afresh.
template <typename T> bool same_bytes(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

TubeMesh built(int rings, int sides) {
    TubeMesh mesh;
    build_tube_mesh(rings, sides, mesh);
    return mesh;
}

// Sizes, index range and the colour cycle of every vertex, which hold for
// any counts.
void expect_well_formed(const TubeMesh& mesh, int rings, int sides) {
    const std::size_t n = static_cast<std::size_t>(rings) * sides;
    ASSERT_EQ(mesh.vertices.size(), n) << rings << " x " << sides;
    ASSERT_EQ(mesh.triangles.size(), 2 * n) << rings << " x " << sides;
    for (const Triangle& t : mesh.triangles) {
        for (std::int32_t index : corners(t)) {
            ASSERT_GE(index, 0);
            ASSERT_LT(index, static_cast<std::int32_t>(n));
        }
    }
    for (std::size_t k = 0; k < n; ++k) {
        const Vertex& v = mesh.vertices[k];
        ASSERT_EQ(colour(v), CYCLE[k % 6]) << "vertex " << k;
        ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << k;
    }
}

} // namespace

TEST(TubeMesh, TopologyIsOneClosedHelicalStripColouredInASixStepCycle) {
    const TubeMesh mesh = built(256, 16);
    expect_well_formed(mesh, 256, 16);
    EXPECT_EQ(mesh.vertices.size(), 4096u);
    EXPECT_EQ(mesh.triangles.size(), 8192u);

    const struct {
        int index;
        Corners want;
    } named[] = {
        {0, {17, 16, 0}},   {1, {0, 1, 17}},        {30, {32, 31, 15}},
        {31, {15, 16, 32}}, {8190, {16, 15, 4095}}, {8191, {4095, 0, 16}},
    };
    for (const auto& c : named) {
        EXPECT_EQ(corners(mesh.triangles[c.index]), c.want) << "triangle " << c.index;
    }

    std::vector<int> uses(mesh.vertices.size(), 0);
    for (const Triangle& t : mesh.triangles) {
        EXPECT_TRUE(t.a != t.b && t.b != t.c && t.a != t.c) << t.a << " " << t.b << " " << t.c;
        ++uses[t.a];
        ++uses[t.b];
        ++uses[t.c];
    }
    for (std::size_t v = 0; v < uses.size(); ++v) {
        ASSERT_EQ(uses[v], 6) << "vertex " << v;
    }
}

TEST(TubeMesh, RingsAreCirclesOfHalfAUnitAroundTheCurve) {
    const Vec3 origin = knot_point(0);
    EXPECT_EQ((std::array<float, 3>{origin.x, origin.y, origin.z}),
              (std::array<float, 3>{2, 2, 0}));

    const TubeMesh mesh = built(256, 16);
    const Vertex& first = mesh.vertices[0];
    EXPECT_NEAR(first.x, 1.6465, 1e-4);
    EXPECT_NEAR(first.y, 2.3535, 1e-4);
    EXPECT_NEAR(first.z, 0.0101, 1e-4);

    for (int i = 0; i < 256; ++i) {
        const Vec3 centre = knot_point(i * 6.283186 / 256);
        for (int k = 0; k < 16; ++k) {
            const Vertex& v = mesh.vertices[i * 16 + k];
            const double distance = std::hypot(v.x - centre.x, v.y - centre.y, v.z - centre.z);
            ASSERT_NEAR(distance, 0.5, 1e-5) << "ring " << i << ", side " << k;
        }
    }
}

TEST(TubeMesh, RebuildingTheSameMeshOnlyRecomputesPositions) {
    TubeMesh mesh = built(256, 16);
    const TubeMesh first = mesh;
    const Vertex* const storage = mesh.vertices.data();

    // Marks that a rebuild of topology or colours would overwrite.
    mesh.triangles[5].b = 4000;
    mesh.vertices[7].green = 9;
    mesh.vertices[7].x = 100;
    build_tube_mesh(256, 16, mesh);

    EXPECT_EQ(mesh.vertices.data(), storage);
    EXPECT_EQ(mesh.triangles[5].b, 4000);
    EXPECT_EQ(mesh.vertices[7].green, 9);
    mesh.triangles[5] = first.triangles[5];
    mesh.vertices[7].green = first.vertices[7].green;
    EXPECT_TRUE(same_bytes(mesh.vertices, first.vertices));
    EXPECT_TRUE(same_bytes(mesh.triangles, first.triangles));
}

TEST(TubeMesh, EveryOtherMeshIsBuiltInFullForItsOwnCounts) {
    const TubeMesh main = built(256, 16);

    // A second, empty mesh of the same counts gets its own topology and colours.
    const TubeMesh twin = built(256, 16);
    EXPECT_TRUE(same_bytes(twin.vertices, main.vertices));
    EXPECT_TRUE(same_bytes(twin.triangles, main.triangles));

    const struct {
        int rings;
        int sides;
    } counts[] = {{1, 1}, {2, 3}, {3, 2}, {3, 1}, {4, 8}};
    TubeMesh reused = main;
    for (const auto& c : counts) {
        const TubeMesh fresh = built(c.rings, c.sides);
        expect_well_formed(fresh, c.rings, c.sides);
        build_tube_mesh(c.rings, c.sides, reused);
        expect_well_formed(reused, c.rings, c.sides);
        // 3 x 2 after 2 x 3: as many vertices, but other neighbours.
        EXPECT_TRUE(same_bytes(reused.triangles, fresh.triangles))
            << "the triangles of " << c.rings << " x " << c.sides << " after other counts";
    }
    // Small counts wrap every index: 2 x 3 gives triangle 2v + 1 = (v, v+1, v+4) mod 6.
    const TubeMesh small = built(2, 3);
    EXPECT_EQ(corners(small.triangles[11]), (Corners{5, 0, 3}));

    // Counts that are not positive, or whose product leaves 32-bit indices,
    // are refused before anything is sized, and the mesh is left as it was.
    const struct {
        int rings;
        int sides;
    } refused[] = {{0, 16}, {256, 0}, {-1, 16}, {256, -16}, {65536, 32768}, {65536, 65536}};
    for (const auto& c : refused) {
        TubeMesh untouched = small;
        EXPECT_THROW(build_tube_mesh(c.rings, c.sides, untouched), std::invalid_argument)
            << c.rings << " x " << c.sides;
        EXPECT_EQ(untouched.vertices.size(), 6u);
    }
}
