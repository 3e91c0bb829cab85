#include "gl_fixture.h"

#include "app/gl_state.h"
#include "camera/camera.h"
#include "geometry/tube_mesh.h"
#include "render/draw_scene.h"

#include <GL/gl.h>

#include <array>
#include <cstdlib>

namespace {

using DrawScene = GlWindow;

constexpr Rgb BLACK{0, 0, 0};
constexpr Rgb WHITE{255, 255, 255};
constexpr int TOLERANCE = 2;
constexpr int CENTRE_X = SCREEN_WIDTH / 2;
constexpr int CENTRE_Y = SCREEN_HEIGHT / 2;

// One triangle of a single vertex colour across the middle of the start-up
// view (the camera at z = 10 looking down -z).
TubeMesh one_triangle(float red, float green, float blue) {
    TubeMesh mesh;
    mesh.vertices = {
        {-1, -1, 0, red, green, blue}, {1, -1, 0, red, green, blue}, {0, 1, 0, red, green, blue}};
    mesh.triangles = {{0, 1, 2}};
    return mesh;
}

std::array<float, 16> model_view() {
    std::array<float, 16> matrix{};
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix.data());
    return matrix;
}

GLint model_view_depth() {
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return depth;
}

} // namespace

TEST_F(DrawScene, EmptyMeshStillClearsToBlack) {
    draw_scene(START_CAMERA, one_triangle(3, 3, 4));
    ASSERT_PRED_FORMAT3(colour_near, probe(CENTRE_X, CENTRE_Y), WHITE, TOLERANCE);

    draw_scene(START_CAMERA, TubeMesh{});
    int lit = 0;
    for (const Rgb& pixel : read_back()) {
        lit += pixel.r != 0 || pixel.g != 0 || pixel.b != 0;
    }
    EXPECT_EQ(lit, 0);
}

TEST_F(DrawScene, UnscaledVertexColoursAreClampedByThePipeline) {
    const struct {
        std::array<float, 3> colour;
        Rgb want;
    } cases[] = {
        {{3, 3, 4}, WHITE},
        {{0, 0, 2}, {0, 0, 255}},
        {{3, 3, 0}, {255, 255, 0}},
    };
    for (const auto& c : cases) {
        draw_scene(START_CAMERA, one_triangle(c.colour[0], c.colour[1], c.colour[2]));
        EXPECT_PRED_FORMAT3(colour_near, probe(CENTRE_X, CENTRE_Y), c.want, TOLERANCE)
            << "vertex colour " << c.colour[0] << ", " << c.colour[1] << ", " << c.colour[2];
        EXPECT_PRED_FORMAT3(colour_near, probe(CENTRE_X, 10), BLACK, TOLERANCE);
    }
}

TEST_F(DrawScene, LeavesTheModelViewMatrixAsItFoundIt) {
    for (const bool moved : {false, true}) {
        glLoadIdentity();
        if (moved) {
            // Drawing must not depend on it either: the look-at replaces it.
            glTranslatef(100, 0, 0);
        }
        const std::array<float, 16> before = model_view();
        const GLint depth = model_view_depth();

        draw_scene(START_CAMERA, one_triangle(3, 3, 4));

        EXPECT_EQ(model_view(), before) << "moved " << moved;
        EXPECT_EQ(model_view_depth(), depth) << "moved " << moved;
        EXPECT_PRED_FORMAT3(colour_near, probe(CENTRE_X, CENTRE_Y), WHITE, TOLERANCE);
    }
}

TEST_F(DrawScene, WholeTubeSeenFromTheStartCameraShowsTheKnot) {
    TubeMesh mesh;
    build_tube_mesh(RINGS, SIDES, mesh);
    draw_scene(START_CAMERA, mesh);
    const std::vector<Rgb> pixels = read_back();

    int lit = 0;
    int lit_near_centre = 0;
    int blue = 0;
    int yellow = 0;
    int white = 0;
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        for (int x = 0; x < SCREEN_WIDTH; ++x) {
            const Rgb& p = pixels[y * SCREEN_WIDTH + x];
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
    EXPECT_GT(lit, SCREEN_WIDTH * SCREEN_HEIGHT / 4);
    EXPECT_LT(lit, SCREEN_WIDTH * SCREEN_HEIGHT * 3 / 4);
    EXPECT_GT(blue, 1000);
    EXPECT_GT(yellow, 1000);
    EXPECT_GT(white, 1000);
    for (const auto& corner : {std::array<int, 2>{0, 0},
                               {SCREEN_WIDTH - 1, 0},
                               {0, SCREEN_HEIGHT - 1},
                               {SCREEN_WIDTH - 1, SCREEN_HEIGHT - 1}}) {
        EXPECT_PRED_FORMAT3(colour_near, pixels[corner[1] * SCREEN_WIDTH + corner[0]], BLACK, 0);
    }
}
