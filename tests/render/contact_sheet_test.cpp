// Draws the seven guns side-on as a contact sheet (a BMP in the build folder, to look at)
// and checks that each one fills a sensible share of its cell.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "core/catalog/armory.h"
#include "render/capture.h"
#include "tests/render/gl_harness.h"

namespace {

// Copies one top-down RGB frame into cell `index` of a bottom-up BGR sheet.
void intoSheet(std::vector<uint8_t>& sheet, const std::vector<uint8_t>& img, int index, int cw, int ch, int cols,
               int rows) {
    const int cx = (index % cols) * cw, cy = (rows - 1 - index / cols) * ch;
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x) {
            const uint8_t* src = &img[(size_t(ch - 1 - y) * size_t(cw) + size_t(x)) * 3];
            uint8_t* dst = &sheet[(size_t(cy + y) * size_t(cw * cols) + size_t(cx + x)) * 3];
            dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
        }
}

size_t changedPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    size_t n = 0;
    for (size_t i = 0; i < a.size(); i += 3) n += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
    return n;
}

TEST(ContactSheet, EveryGunDrawsSideOnAndAtTheHip) {
    REQUIRE_GL();
    GlHarness& h = GlHarness::get();
    ASSERT_TRUE(h.rendererReady);
    const int cw = h.width, ch = h.height, cols = 2, rows = 4;
    std::vector<uint8_t> side(size_t(cw * cols) * size_t(ch * rows) * 3, 40), hip = side;

    SceneView view;
    view.width = cw;
    view.height = ch;
    view.fov = 90;
    view.map = &mapCatalog()[3];  // the bright arctic room, so dark guns stand out
    view.previewYaw = 90;
    view.previewOffsetX = 0;
    view.previewOffsetY = 0;
    view.previewScale = 0.7f;  // closer than the Armory, to fill the cell
    ensureMsaaTarget(h.renderer.msaa, cw, ch, 4);
    drawScene(h.renderer, view);
    const std::vector<uint8_t> empty = h.frame();

    for (int g = 0; g < 7; ++g) {
        SCOPED_TRACE(gunCatalog()[size_t(g)].id);
        view.gunIndex = g;
        view.armoryPreview = true;
        drawScene(h.renderer, view);
        EXPECT_EQ(h.glError(), unsigned(GL_NO_ERROR));
        std::vector<uint8_t> img = h.frame();
        const double share = double(changedPixels(img, empty)) / double(cw * ch);
        EXPECT_GT(share, 0.03);
        EXPECT_LT(share, 0.6);
        intoSheet(side, img, g, cw, ch, cols, rows);

        view.armoryPreview = false;
        drawScene(h.renderer, view);
        img = h.frame();
        EXPECT_GT(changedPixels(img, empty), size_t(cw * ch / 50)) << "the hip-fire gun shows";
        intoSheet(hip, img, g, cw, ch, cols, rows);
    }
    const std::string dir = TARVION_BINARY_DIR;
    EXPECT_TRUE(writeBmp((dir + "/render_contact_sheet.bmp").c_str(), cw * cols, ch * rows, side.data()));
    EXPECT_TRUE(writeBmp((dir + "/render_hip_sheet.bmp").c_str(), cw * cols, ch * rows, hip.data()));
}

}  // namespace
