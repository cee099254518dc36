// Golden pixels of the scene passes, worked out by hand from the shading rules, and the
// rules that decide whether the gun, its flash and the debris are drawn at all.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/catalog/armory.h"
#include "engine/kernel/debris.h"
#include "engine/kernel/drill_round.h"
#include "tests/render/gl_harness.h"

namespace {

double clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }
double smoothstep(double a, double b, double x) {
    double t = clamp01((x - a) / (b - a));
    return t * t * (3 - 2 * t);
}
int toByte(double v) { return int(std::lround(clamp01(v) * 255.0)); }

// Expected colour of an indoor map's front wall (z = -20) at (x, y), away from its grid lines.
std::array<int, 3> frontWall(const MapInfo& map, double x, double y, double dim) {
    const double height = 0.88 + 0.22 * clamp01((y + 7) / 20);
    const double e = std::min(24 - std::abs(x), std::min(y + 7, 13 - y));
    const double corner = 0.78 + 0.22 * smoothstep(0, 4.5, e);
    const double trim = 0.32 * std::exp(-5 * std::abs(y + 6.4));
    const double qy = y - 2;
    const double light = 1 + 0.28 * std::exp(-(x * x + qy * qy) / 160);
    const double dist = 1 + (0.85 - 1) * clamp01((std::sqrt(x * x + y * y + 400) - 12) / 30);
    std::array<int, 3> out{};
    for (int c = 0; c < 3; ++c)
        out[size_t(c)] = toByte((map.roomColors[0][c] * height * corner + map.roomColors[5][c] * trim) * light * dist *
                                (1 - 0.55 * dim));
    return out;
}

std::array<int, 3> labFrontWall(double x, double y, double dim) { return frontWall(mapCatalog()[0], x, y, dim); }

using D3 = std::array<double, 3>;
double dot3(D3 a, D3 b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
D3 unit(D3 a) {
    double l = std::sqrt(dot3(a, a));
    return {a[0] / l, a[1] / l, a[2] / l};
}

// World direction through the centre of pixel (px, py) for the view's camera.
D3 pixelRay(const SceneView& v, int px, int py) {
    const double k = 3.14159265358979323846 / 180;
    const double f = 1 / std::tan(v.fov * k / 2), a = double(v.width) / v.height;
    const double x = (2 * (px + 0.5) / v.width - 1) / f, y = (2 * (py + 0.5) / v.height - 1) / (f * a);
    const D3 fw = {std::sin(v.yaw * k) * std::cos(v.pitch * k), std::sin(v.pitch * k),
                   -std::cos(v.yaw * k) * std::cos(v.pitch * k)};
    const D3 rt = unit({-fw[2], 0, fw[0]});
    const D3 up = {rt[1] * fw[2] - rt[2] * fw[1], rt[2] * fw[0] - rt[0] * fw[2], rt[0] * fw[1] - rt[1] * fw[0]};
    return unit({rt[0] * x + up[0] * y + fw[0], rt[1] * x + up[1] * y + fw[1], rt[2] * x + up[2] * y + fw[2]});
}

// Expected colour of a sphere where the ray through pixel (px, py) meets it.
std::array<int, 3> sphereAt(const SceneView& v, int px, int py, const RenderSphere& s, const float colour[3],
                            double dim) {
    const D3 d = pixelRay(v, px, py), c = {s.x, s.y, s.z};
    const double b = dot3(d, c), disc = b * b - dot3(c, c) + double(s.radius) * s.radius;
    const double t = b - std::sqrt(std::max(disc, 0.0));
    const D3 p = {d[0] * t, d[1] * t, d[2] * t};
    const D3 n = unit({p[0] - c[0], p[1] - c[1], p[2] - c[2]}), V = {-d[0], -d[1], -d[2]};
    const D3 L = unit({0.35, 0.85, 0.40});
    const double diff = std::max(0.0, dot3(n, L));
    const double specular = std::pow(std::max(0.0, dot3(n, unit({L[0] + V[0], L[1] + V[1], L[2] + V[2]}))), 48);
    const double rim = std::pow(1 - std::max(0.0, dot3(n, V)), 2.5), bounce = clamp01(-n[1]);
    std::array<int, 3> out{};
    for (int ch = 0; ch < 3; ++ch) {
        double col = colour[ch] * (0.30 + 0.74 * diff + 0.12 * bounce) + 0.6 * specular + 0.65 * rim * colour[ch];
        col = col + (1.35 * colour[ch] + 0.6 * rim * colour[ch] + 0.06 - col) * 0.7 * s.lit;
        out[size_t(ch)] = toByte(col * (1 - 0.55 * dim));
    }
    return out;
}

void expectNear(std::array<int, 3> got, std::array<int, 3> want, const char* what) {
    for (size_t c = 0; c < 3; ++c)
        EXPECT_NEAR(got[c], want[c], 2) << what << " channel " << c << ": got " << got[0] << " " << got[1] << " "
                                        << got[2] << ", want " << want[0] << " " << want[1] << " " << want[2];
}

class Scene : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_GL();
        GlHarness& h = GlHarness::get();
        ASSERT_TRUE(h.rendererReady);
        r = &h.renderer;
        w = h.width;
        hgt = h.height;
        view = SceneView{};
        view.width = w;
        view.height = hgt;
        view.fov = 90;
        view.map = &mapCatalog()[0];
        samples = 4;
    }
    // Draws the view and checks that the pass left no GL error behind.
    void draw() {
        ensureMsaaTarget(r->msaa, view.width, view.height, samples);
        drawScene(*r, view);
        EXPECT_EQ(GlHarness::get().glError(), unsigned(GL_NO_ERROR));
    }
    std::vector<uint8_t> drawFrame() {
        draw();
        return GlHarness::get().frame();
    }
    // The pixel whose centre looks closest to the front-wall point (x, y, -20), and the
    // exact wall point its centre sees (camera straight ahead).
    void frontWallPixel(double x, double y, int* px, int* py, double* hx, double* hy) const {
        const double f = 1 / std::tan(view.fov * 3.14159265358979323846 / 360), a = double(view.width) / view.height;
        *px = int(std::lround((x * f / 20 + 1) / 2 * view.width - 0.5));
        *py = int(std::lround((y * f * a / 20 + 1) / 2 * view.height - 0.5));
        *hx = 20 * (2 * (*px + 0.5) / view.width - 1) / f;
        *hy = 20 * (2 * (*py + 0.5) / view.height - 1) / (f * a);
    }

    Renderer* r = nullptr;
    int w = 0, hgt = 0;
    int samples = 4;
    SceneView view;
};

TEST_F(Scene, RendererHoldsTheProgramsMeshesAndSevenModels) {
    EXPECT_NE(r->worldProgram, 0u);
    EXPECT_NE(r->sphereProgram, 0u);
    EXPECT_NE(r->gunProgram, 0u);
    EXPECT_EQ(r->roomVertexCount, 36);
    EXPECT_EQ(r->sphereIndexCount, 5760);
    ASSERT_EQ(r->models.size(), 7u);
    const int counts[7] = {3120, 3138, 3492, 3768, 3810, 4146, 5070};
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(r->models[i].vertexCount, counts[i]) << i;
}

TEST_F(Scene, FrontWallMatchesItsShadingWithAndWithoutMultisampling) {
    struct Case {
        int map;
        double fov, x, y;
        int samples;
    };
    const Case cases[] = {
        {0, 90, 2.5, 2.5, 4},     {0, 90, 2.5, 2.5, 0},   {0, 110, -21.5, -5.5, 4}, {0, 110, -21.5, -5.5, 0},
        {0, 90, -6.5, 6.5, 4},    {3, 90, 0.5, 2.5, 4},   {3, 110, 20.5, -6.5, 0},  {1, 90, -2.5, -3.5, 4},
        {5, 90, 3.5, 0.5, 0},
    };
    for (const Case& c : cases) {
        const MapInfo& map = mapCatalog()[size_t(c.map)];
        view.map = &map;
        view.fov = c.fov;
        samples = c.samples;
        draw();
        EXPECT_EQ(r->msaa.framebuffer != 0, c.samples >= 2);
        int px, py;
        double hx, hy;
        frontWallPixel(c.x, c.y, &px, &py, &hx, &hy);
        SCOPED_TRACE(::testing::Message() << map.id << " fov " << c.fov << " at " << hx << ", " << hy << " samples "
                                          << c.samples);
        expectNear(GlHarness::get().pixel(px, py), frontWall(map, hx, hy, 0), "wall");
    }
}

TEST_F(Scene, DimDarkensEveryProgramToItsShare) {
    std::vector<RenderSphere> spheres(1);
    spheres[0].z = -5;
    spheres[0].radius = 1;
    view.spheres = &spheres;
    for (float dim : {0.0f, 0.35f, 0.45f, 1.0f}) {
        view.dim = dim;
        draw();
        int px, py;
        double hx, hy;
        frontWallPixel(2.5, 6.5, &px, &py, &hx, &hy);
        SCOPED_TRACE(::testing::Message() << "dim " << dim);
        expectNear(GlHarness::get().pixel(px, py), labFrontWall(hx, hy, dim), "wall");
        expectNear(GlHarness::get().pixel(w / 2, hgt / 2), sphereAt(view, w / 2, hgt / 2, spheres[0], view.targetColor, dim),
                   "sphere");
    }
}

TEST_F(Scene, SpheresTakeTheirKindsColourAndGlow) {
    struct Case {
        int32_t kind;
        float lit;
    };
    for (Case c : {Case{0, 0.0f}, Case{1, 0.0f}, Case{1, 1.0f}, Case{7, 0.5f}}) {
        std::vector<RenderSphere> spheres(1);
        spheres[0].z = -5;
        spheres[0].radius = 1;
        spheres[0].kind = c.kind;
        spheres[0].lit = c.lit;
        view.spheres = &spheres;
        draw();
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " lit " << c.lit);
        // The centre, a point up and to the left, and one about 45 degrees round where the rim shows.
        for (auto [px, py] : {std::pair{w / 2, hgt / 2}, std::pair{w / 2 - 14, hgt / 2 + 10}, std::pair{w / 2 + 26, hgt / 2}})
            expectNear(GlHarness::get().pixel(px, py),
                       sphereAt(view, px, py, spheres[0], c.kind == 1 ? view.orbColor : view.targetColor, 0), "sphere");
    }
}

TEST_F(Scene, CameraTurnsRightWithYawAndUpWithPitch) {
    struct Case {
        double yaw, pitch;
        float x, y, z;
    };
    const Case cases[] = {{90, 0, 5, 0, 0}, {-90, 0, -5, 0, 0}, {0, 30, 0, 2.5f, -4.3301f}, {180, -20, 0, -1.71f, 4.698f}};
    for (const Case& c : cases) {
        std::vector<RenderSphere> spheres(1);
        spheres[0] = {c.x, c.y, c.z, 1.0f, 0, 0.0f};
        view.spheres = &spheres;
        view.yaw = c.yaw;
        view.pitch = c.pitch;
        draw();
        SCOPED_TRACE(::testing::Message() << "yaw " << c.yaw << " pitch " << c.pitch);
        expectNear(GlHarness::get().pixel(w / 2, hgt / 2), sphereAt(view, w / 2, hgt / 2, spheres[0], view.targetColor, 0),
                   "sphere ahead");
    }
}

// Frames that must come out the same as the plain room, or must not.
TEST_F(Scene, GunFlashAndDebrisAppearOnlyPastTheirThresholds) {
    const std::vector<uint8_t> room = drawFrame();
    std::vector<Debris> fading(1), dead(1);
    fading[0] = {{0, 0, -4}, {0, 0, 0}, 0.5f, 1.0f, 0.6f, {1, 0.2f, 0.2f}};
    dead[0] = {{0, 0, -4}, {0, 0, 0}, -0.1f, 1.0f, 0.6f, {1, 0.2f, 0.2f}};

    struct Case {
        const char* name;
        void (*setup)(SceneView&);
        bool differsFromRoom;
    };
    const Case cases[] = {
        {"no gun", [](SceneView& v) { v.gunIndex = -1; }, false},
        {"gun index past the models", [](SceneView& v) { v.gunIndex = 7; }, false},
        {"hip-fire gun", [](SceneView& v) { v.gunIndex = 3; }, true},
        {"zoom just under 0.7", [](SceneView& v) { v.gunIndex = 3, v.zoom = 0.69f; }, true},
        {"zoom 0.7 hides the gun", [](SceneView& v) { v.gunIndex = 3, v.zoom = 0.7f; }, false},
        {"zoom 0.7 hides the flash too", [](SceneView& v) { v.gunIndex = 3, v.zoom = 0.7f, v.muzzleFlash = 1; }, false},
        {"preview shows at full zoom", [](SceneView& v) { v.gunIndex = 5, v.zoom = 1, v.armoryPreview = true; }, true},
    };
    for (const Case& c : cases) {
        view = SceneView{};
        view.width = w, view.height = hgt, view.fov = 90;
        c.setup(view);
        EXPECT_EQ(drawFrame() != room, c.differsFromRoom) << c.name;
    }

    view = SceneView{};
    view.width = w, view.height = hgt, view.fov = 90;
    view.debris = &dead;
    EXPECT_EQ(drawFrame(), room) << "dead debris is fully transparent";
    view.debris = &fading;
    EXPECT_NE(drawFrame(), room) << "live debris shows";

    // The flash: compared with the same gun without one.
    view = SceneView{};
    view.width = w, view.height = hgt, view.fov = 90;
    view.gunIndex = 3;
    const std::vector<uint8_t> gun = drawFrame();
    view.muzzleFlash = 0.01f;
    EXPECT_EQ(drawFrame(), gun) << "flash 0.01 draws nothing";
    view.muzzleFlash = 0.02f;
    EXPECT_NE(drawFrame(), gun) << "flash 0.02 draws";
    view.armoryPreview = true;
    view.muzzleFlash = 0;
    const std::vector<uint8_t> preview = drawFrame();
    view.muzzleFlash = 1;
    EXPECT_EQ(drawFrame(), preview) << "no flash on the preview";
}

TEST_F(Scene, NullMapAndSkinFallBackToTheFirstRows) {
    view.gunIndex = 2;
    view.map = &mapCatalog()[0];
    view.skin = &skinCatalog()[0];
    const std::vector<uint8_t> first = drawFrame();
    view.map = nullptr;
    view.skin = nullptr;
    EXPECT_EQ(drawFrame(), first);
    view.map = &mapCatalog()[1];
    EXPECT_NE(drawFrame(), first);
}

TEST_F(Scene, EveryMapAndSkinDrawsWithoutGlErrors) {
    view.gunIndex = 6;
    view.armoryPreview = true;
    view.time = 3.5f;
    for (const MapInfo& m : mapCatalog()) {
        view.map = &m;
        for (const SkinInfo& s : skinCatalog()) {
            view.skin = &s;
            draw();
        }
    }
    // The open-air maps draw sky above the horizon and ground below it, not the room.
    view.armoryPreview = false;
    view.gunIndex = -1;
    for (int mapIndex : {2, 4}) {
        view.map = &mapCatalog()[size_t(mapIndex)];
        view.pitch = 30;
        draw();
        std::array<int, 3> up = GlHarness::get().pixel(w / 2, hgt / 2);
        view.pitch = -30;
        draw();
        std::array<int, 3> down = GlHarness::get().pixel(w / 2, hgt / 2);
        EXPECT_NE(up, down) << mapCatalog()[size_t(mapIndex)].id;
        // Sky is bluer than sand in the desert; the retro ground is its dark floor plus grid.
        if (mapIndex == 2) {
            EXPECT_GT(up[2], down[2]);
        }
    }
}

TEST_F(Scene, ZeroSizedFrameDrawsNothing) {
    GlHarness::get().clearWindow(1, 0, 1);
    const std::vector<uint8_t> before = GlHarness::get().frame();
    const MsaaTarget target = r->msaa;
    view.width = 0;
    drawScene(*r, view);
    view.width = w;
    view.height = -3;
    drawScene(*r, view);
    EXPECT_EQ(GlHarness::get().frame(), before);
    EXPECT_EQ(r->msaa.framebuffer, target.framebuffer);
    EXPECT_EQ(GlHarness::get().glError(), unsigned(GL_NO_ERROR));
}

}  // namespace
