// SPDX-License-Identifier: MIT
#include "geometry/knot.h"
#include "geometry/tube_mesh.h"
#include "geometry/vec3.h"
#include "reference_knot.h"

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

// The tube must match other renderings of it bit for bit, so where values are
// rounded to float is part of its behaviour. An independent computation with
// the documented rounding points must reproduce every stored position exactly,
// and each plausible alternative must not.

namespace {

enum class Variant {
    Exact,
    FloatTrig,          // sinf/cosf instead of double trigonometry
    UnroundedRadius,    // r kept in double
    UnroundedMultiples, // 3 theta and 4 theta kept in double
    RoundedTheta,       // theta rounded instead of its multiples
    FloatSideOffsets,   // sin phi * 0.5 and cos phi * 0.5 rounded to float
};

constexpr double TWO_PI = 6.283186;

Vec3 reference_centre(int i, int rings, Variant variant) {
    const double a = 3.0 * i * TWO_PI / rings;
    const double b = 4.0 * i * TWO_PI / rings;
    switch (variant) {
    case Variant::FloatTrig:
        return reference_knot(a, b, KnotRounding::FloatTrig);
    case Variant::UnroundedRadius:
        return reference_knot(to_float(a), to_float(b), KnotRounding::UnroundedRadius);
    case Variant::UnroundedMultiples:
        return reference_knot(a, b);
    case Variant::RoundedTheta: {
        const double theta = to_float(i * TWO_PI / rings);
        return reference_knot(3 * theta, 4 * theta);
    }
    default:
        return reference_knot(to_float(a), to_float(b));
    }
}

// Vector arithmetic in float; the square root in double.
Vec3 unit(Vec3 v) {
    const float squares = v.x * v.x + v.y * v.y + v.z * v.z;
    const float length = to_float(std::sqrt(static_cast<double>(squares)));
    return {v.x / length, v.y / length, v.z / length};
}

Vec3 cross(const Vec3& p, const Vec3& q) {
    return {p.y * q.z - p.z * q.y, p.z * q.x - p.x * q.z, p.x * q.y - p.y * q.x};
}

// Number of vertices whose stored position differs from the variant's.
int mismatches(const TubeMesh& mesh, int rings, int sides, Variant variant) {
    int count = 0;
    for (int i = 0; i < rings; ++i) {
        const Vec3 p0 = reference_centre(i, rings, variant);
        const Vec3 p1 = reference_centre(i + 1, rings, variant);
        const Vec3 chord{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
        const Vec3 sum{p1.x + p0.x, p1.y + p0.y, p1.z + p0.z};
        const Vec3 b = cross(chord, sum);
        const Vec3 n = unit(cross(b, chord));
        const Vec3 bu = unit(b);
        for (int k = 0; k < sides; ++k) {
            const double phi = k * TWO_PI / sides;
            double s = std::sin(phi) * 0.5;
            double c = std::cos(phi) * 0.5;
            if (variant == Variant::FloatSideOffsets) {
                s = to_float(s);
                c = to_float(c);
            }
            const float want[3] = {to_float(s * n.x + c * bu.x + p0.x),
                                   to_float(s * n.y + c * bu.y + p0.y),
                                   to_float(s * n.z + c * bu.z + p0.z)};
            count += std::memcmp(want, &mesh.vertices[i * sides + k].x, sizeof want) != 0;
        }
    }
    return count;
}

} // namespace

TEST(MeshRounding, StoredPositionsRoundAtExactlyTheirRoundingPoints) {
    const TubeMesh mesh = built(256, 16);
    EXPECT_EQ(mismatches(mesh, 256, 16, Variant::Exact), 0);
    for (Variant slip : {Variant::FloatTrig, Variant::UnroundedRadius, Variant::UnroundedMultiples,
                         Variant::RoundedTheta, Variant::FloatSideOffsets}) {
        EXPECT_GT(mismatches(mesh, 256, 16, slip), 0) << "variant " << static_cast<int>(slip);
    }
    // Up to the most rings the count check lets through (one side each):
    // 3 and 4 times the ring number are well past 2^31.
    for (const int ring : {715827883, 2147483647}) {
        const Vec3 want = reference_centre(ring, 2147483647, Variant::Exact);
        const Vec3 got = ring_centre(ring, 2147483647);
        EXPECT_EQ(std::memcmp(&want, &got, sizeof want), 0) << "ring " << ring;
    }
}

// The same bits on every architecture the program is built for: a digest of
// every float of the 4,096 vertices, as an amd64 build computes them. x87
// arithmetic (i386) that kept excess precision in a stored value, or a fused
// multiply-add, changes it.
TEST(MeshRounding, EveryVertexHasTheBitsOfAnAmd64Build) {
    const TubeMesh mesh = built(256, 16);
    ASSERT_EQ(mesh.vertices.size(), 4096u);
    std::uint32_t hash = 2166136261u;
    for (const Vertex& vertex : mesh.vertices) {
        float floats[6];
        std::memcpy(floats, &vertex, sizeof floats);
        hash = float_bits_hash(floats, 6, hash);
    }
    EXPECT_EQ(hash, 0x4e64abcfu);
}

namespace {

std::array<float, 3> xyz(const Vec3& v) {
    return {v.x, v.y, v.z};
}

Vec3 normalized(Vec3 v) {
    vec_normalize(v);
    return v;
}

template <void (*Op)(const Vec3&, const Vec3&, Vec3&)> Vec3 apply(const Vec3& a, const Vec3& b) {
    Vec3 out{-7.0f, -7.0f, -7.0f};
    Op(a, b, out);
    return out;
}

} // namespace

TEST(Vec3, EdgeCasesOfEveryOperation) {
    const float nan = std::nanf("");
    const struct {
        const char* what;
        float got;
        float want;
    } lengths[] = {
        {"length of zero reads as 1", vec_length({0, 0, 0}), 1.0f},
        {"length with a NaN component reads as 1", vec_length({nan, 0, 0}), 1.0f},
        {"length of (3,4,0)", vec_length({3, 4, 0}), 5.0f},
        {"length of (0,0,-2)", vec_length({0, 0, -2}), 2.0f},
    };
    for (const auto& c : lengths) {
        EXPECT_EQ(c.got, c.want) << c.what;
    }

    const struct {
        const char* what;
        Vec3 got;
        Vec3 want;
    } vectors[] = {
        {"normalize of zero stays zero", normalized({0, 0, 0}), {0, 0, 0}},
        {"normalize of a unit vector", normalized({0, 1, 0}), {0, 1, 0}},
        {"normalize of (3,4,0)", normalized({3, 4, 0}), {0.6f, 0.8f, 0}},
        {"x cross y", apply<vec_cross>({1, 0, 0}, {0, 1, 0}), {0, 0, 1}},
        {"y cross x", apply<vec_cross>({0, 1, 0}, {1, 0, 0}), {0, 0, -1}},
        {"general cross", apply<vec_cross>({1, 2, 3}, {4, 5, 6}), {-3, 6, -3}},
        {"first minus second", apply<vec_sub>({1, 2, 3}, {1, 1, 1}), {0, 1, 2}},
        {"add", apply<vec_add>({1, 2, 3}, {0.5f, -2, 4}), {1.5f, 0, 7}},
    };
    for (const auto& c : vectors) {
        EXPECT_EQ(xyz(c.got), xyz(c.want)) << c.what;
    }
}
