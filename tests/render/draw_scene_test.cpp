// SPDX-License-Identifier: MIT
#include "gl_fixture.h"

#include "camera/camera.h"
#include "geometry/tube_mesh.h"
#include "render/draw_scene.h"

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstdlib>

namespace {

using DrawScene = GlWindow;

constexpr Rgb BLACK{0, 0, 0};
constexpr Rgb WHITE{255, 255, 255};
constexpr Rgb BLUE{0, 0, 255};
constexpr Rgb YELLOW{255, 255, 0};
constexpr int TOLERANCE = 2;
constexpr int CENTRE_X = 320;
constexpr int CENTRE_Y = 240;
// The camera before the first step: at z = 10, looking down -z at the
// origin, y up. At z = 0 the view spans x in +-4.85 and y in +-3.64.
constexpr Camera START{{0, 0, 10}, {0, 0, 1}, {0, 1, 0}, 0};

// Appends a square of half-size 0.4 around (x, y) at depth z in one colour,
// drawn after everything appended before it.
void add_square(TubeMesh& mesh, float x, float y, float z, std::array<float, 3> colour) {
    const auto first = static_cast<std::int32_t>(mesh.vertices.size());
    for (const auto& [dx, dy] :
         {std::array<float, 2>{-0.4f, -0.4f}, {0.4f, -0.4f}, {0.4f, 0.4f}, {-0.4f, 0.4f}}) {
        mesh.vertices.push_back({x + dx, y + dy, z, colour[0], colour[1], colour[2]});
    }
    mesh.triangles.push_back({first, first + 1, first + 2});
    mesh.triangles.push_back({first, first + 2, first + 3});
}

// A square in the middle of the view whose vertex colour clamps to white.
TubeMesh white_square() {
    TubeMesh mesh;
    add_square(mesh, 0, 0, 0, {3, 3, 4});
    return mesh;
}

// Where (x, y, 0) lands on the screen for the start camera.
std::array<int, 2> on_screen(double x, double y) {
    const double f = 1 / std::tan(20 * std::acos(-1.0) / 180);
    return {static_cast<int>(CENTRE_X + x / 10 * f / (640.0 / 480) * CENTRE_X),
            static_cast<int>(CENTRE_Y + y / 10 * f * CENTRE_Y)};
}

std::vector<double> get_doubles(GLenum name, std::size_t count) {
    std::vector<double> values(count);
    glGetDoublev(name, values.data());
    return values;
}

} // namespace

TEST_F(DrawScene, EmptyMeshStillClearsToBlack) {
    draw_scene(START, white_square());
    ASSERT_PRED_FORMAT3(colour_near, probe(CENTRE_X, CENTRE_Y), WHITE, TOLERANCE);

    draw_scene(START, TubeMesh{});
    int lit = 0;
    for (const Rgb& pixel : read_back()) {
        lit += pixel.r != 0 || pixel.g != 0 || pixel.b != 0;
    }
    EXPECT_EQ(lit, 0);
}

// Every piece of the pipeline state that start-up sets: by what a small
// known scene drawn through draw_scene shows where the state has a visible
// effect, by querying it where it has none.
TEST_F(DrawScene, StartUpPipelineState) {
    TubeMesh card;
    // Unscaled vertex colours, clamped by the pipeline.
    add_square(card, -3, 2, 0, {3, 3, 4});
    add_square(card, -1.5f, 2, 0, {0, 0, 2});
    add_square(card, 0, 2, 0, {3, 3, 0});
    // Corners of three colours, each clamped before smooth shading blends
    // them; flat shading would show the last corner's blue.
    card.vertices.push_back({1.5f, 1, 0, 4, 0, 0});
    card.vertices.push_back({4.5f, 1, 0, 0, 4, 0});
    card.vertices.push_back({3, 3.4f, 0, 0, 0, 4});
    const auto corner = static_cast<std::int32_t>(card.vertices.size() - 3);
    card.triangles.push_back({corner, corner + 1, corner + 2});
    // Depth testing: a far square drawn after a near one stays hidden.
    add_square(card, -3, -2, 1, {3, 3, 4});
    add_square(card, -3, -2, 0, {0, 0, 2});
    // GL_LEQUAL: of two squares at the same depth, the later one shows.
    add_square(card, 0, -2, 0, {3, 3, 0});
    add_square(card, 0, -2, 0, {0, 0, 2});
    draw_scene(START, card);

    const struct {
        const char* what;
        std::array<int, 2> at;
        Rgb want;
        int tolerance;
    } pixels[] = {
        {"(3, 3, 4) clamps to white", on_screen(-3, 2), WHITE, TOLERANCE},
        {"(0, 0, 2) clamps to blue", on_screen(-1.5, 2), BLUE, TOLERANCE},
        {"(3, 3, 0) clamps to yellow", on_screen(0, 2), YELLOW, TOLERANCE},
        {"smooth shading of clamped corners", on_screen(3, 1.8), {85, 85, 85}, 4},
        {"depth test: the nearer square", on_screen(-3, -2), WHITE, TOLERANCE},
        {"depth test GL_LEQUAL: the later square", on_screen(0, -2), BLUE, TOLERANCE},
        {"clear colour", on_screen(3, -2), BLACK, 0},
    };
    for (const auto& p : pixels) {
        EXPECT_PRED_FORMAT3(colour_near, probe(p.at[0], p.at[1]), p.want, p.tolerance) << p.what;
    }

    const double f = 1 / std::tan(20 * std::acos(-1.0) / 180); // field of view 40 degrees
    const double x = f / 1.333333333333333;                    // the aspect
    const double near = 0.1;
    const double far = 1000;
    const double z = (far + near) / (near - far);
    const double w = 2 * far * near / (near - far);
    // Column-major, as OpenGL keeps it.
    const std::vector<double> projection{x, 0, 0, 0, 0, f, 0, 0, 0, 0, z, -1, 0, 0, w, 0};
    const std::vector<double> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const struct {
        const char* what;
        std::vector<double> got;
        std::vector<double> want;
    } queried[] = {
        {"viewport", get_doubles(GL_VIEWPORT, 4), {0, 0, 640, 480}},
        {"projection", get_doubles(GL_PROJECTION_MATRIX, 16), projection},
        {"matrix mode", get_doubles(GL_MATRIX_MODE, 1), {GL_MODELVIEW}},
        {"model-view", get_doubles(GL_MODELVIEW_MATRIX, 16), identity},
        {"clear colour", get_doubles(GL_COLOR_CLEAR_VALUE, 4), {0, 0, 0, 0.5}},
        {"clear depth", get_doubles(GL_DEPTH_CLEAR_VALUE, 1), {1}},
        {"depth function", get_doubles(GL_DEPTH_FUNC, 1), {GL_LEQUAL}},
        {"perspective hint", get_doubles(GL_PERSPECTIVE_CORRECTION_HINT, 1), {GL_NICEST}},
        {"enabled: depth test, colour material, lighting, culling, blending",
         {double(glIsEnabled(GL_DEPTH_TEST)), double(glIsEnabled(GL_COLOR_MATERIAL)),
          double(glIsEnabled(GL_LIGHTING)), double(glIsEnabled(GL_CULL_FACE)),
          double(glIsEnabled(GL_BLEND))},
         {1, 1, 0, 0, 0}},
    };
    for (const auto& q : queried) {
        ASSERT_EQ(q.got.size(), q.want.size()) << q.what;
        for (std::size_t i = 0; i < q.want.size(); ++i) {
            // OpenGL keeps single-precision floats.
            EXPECT_NEAR(q.got[i], q.want[i], 1e-6 * (1 + std::fabs(q.want[i])))
                << q.what << " [" << i << "]";
        }
    }
}

TEST_F(DrawScene, LeavesTheModelViewMatrixAsItFoundIt) {
    for (const bool moved : {false, true}) {
        glLoadIdentity();
        if (moved) {
            // Drawing must not depend on it either: the look-at replaces it.
            glTranslatef(100, 0, 0);
        }
        const std::vector<double> before = get_doubles(GL_MODELVIEW_MATRIX, 16);
        const std::vector<double> depth = get_doubles(GL_MODELVIEW_STACK_DEPTH, 1);

        draw_scene(START, white_square());

        EXPECT_EQ(get_doubles(GL_MODELVIEW_MATRIX, 16), before) << "moved " << moved;
        EXPECT_EQ(get_doubles(GL_MODELVIEW_STACK_DEPTH, 1), depth) << "moved " << moved;
        EXPECT_PRED_FORMAT3(colour_near, probe(CENTRE_X, CENTRE_Y), WHITE, TOLERANCE);
    }
}

TEST_F(DrawScene, WholeTubeSeenFromTheStartCameraShowsTheKnot) {
    TubeMesh mesh;
    build_tube_mesh(256, 16, mesh);
    draw_scene(START, mesh);
    const std::vector<Rgb> pixels = read_back();

    int lit = 0;
    int lit_near_centre = 0;
    int blue = 0;
    int yellow = 0;
    int white = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const Rgb& p = pixels[y * 640 + x];
            // Black, white, blue and yellow all have red == green, and so
            // does every blend of them that smooth shading makes.
            ASSERT_LE(std::abs(p.r - p.g), 1) << "pixel " << x << ", " << y;
            const bool is_lit = p.r + p.b > 0;
            lit += is_lit;
            lit_near_centre += is_lit && std::abs(x - CENTRE_X) < 80 && std::abs(y - CENTRE_Y) < 80;
            blue += p.b > 200 && p.r < 50;
            yellow += p.r > 200 && p.b < 50;
            white += p.r > 200 && p.b > 200;
        }
    }
    EXPECT_GT(lit_near_centre, 160 * 160 / 4);
    EXPECT_GT(lit, 640 * 480 / 4);
    EXPECT_LT(lit, 640 * 480 * 3 / 4);
    EXPECT_GT(blue, 1000);
    EXPECT_GT(yellow, 1000);
    EXPECT_GT(white, 1000);
    for (const auto& corner :
         {std::array<int, 2>{0, 0}, {640 - 1, 0}, {0, 480 - 1}, {640 - 1, 480 - 1}}) {
        EXPECT_PRED_FORMAT3(colour_near, pixels[corner[1] * 640 + corner[0]], BLACK, 0);
    }
}
