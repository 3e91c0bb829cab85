// SPDX-License-Identifier: MIT
#include "geometry/tube_mesh.h"
#include "reference_knot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

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
    TubeMesh mesh;
    build_tube_mesh(256, 16, mesh);
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
    TubeMesh mesh;
    build_tube_mesh(256, 16, mesh);
    ASSERT_EQ(mesh.vertices.size(), 4096u);
    std::uint32_t hash = 2166136261u;
    for (const Vertex& vertex : mesh.vertices) {
        float floats[6];
        std::memcpy(floats, &vertex, sizeof floats);
        hash = float_bits_hash(floats, 6, hash);
    }
    EXPECT_EQ(hash, 0x4e64abcfu);
}
