// BMP captures and region read-back from the window's back buffer.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "render/capture.h"
#include "tests/render/gl_harness.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/files.h"

namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

std::string tempPath(const char* name) { return std::string(TARVION_BINARY_DIR) + "/render_test_" + name; }

// Paints the four quadrants of the window in distinct colours (GL origin bottom-left).
void paintQuadrants() {
    GlHarness& h = GlHarness::get();
    glEnable(GL_SCISSOR_TEST);
    const float colours[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}};  // BL, BR, TL, TR
    for (int q = 0; q < 4; ++q) {
        glScissor((q & 1) * h.width / 2, (q >> 1) * h.height / 2, h.width / 2, h.height / 2);
        glClearColor(colours[q][0], colours[q][1], colours[q][2], 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
}

TEST(BmpFile, RowsArePaddedToFourBytes) {
    struct Case {
        int width;
        size_t stride;
    };
    for (Case c : {Case{1, 4}, Case{2, 8}, Case{3, 12}, Case{4, 12}, Case{5, 16}, Case{320, 960}})
        EXPECT_EQ(bmpStride(c.width), c.stride) << c.width;
}

TEST(BmpFile, HeaderCarriesSizesAndFormat) {
    uint8_t h[54];
    bmpHeader(5, 3, h);
    std::vector<uint8_t> b(h, h + 54);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(u32(b, 2), 54u + 3 * 16);
    EXPECT_EQ(u32(b, 6), 0u);
    EXPECT_EQ(u32(b, 10), 54u);
    EXPECT_EQ(u32(b, 14), 40u);
    EXPECT_EQ(u32(b, 18), 5u);
    EXPECT_EQ(u32(b, 22), 3u);
    EXPECT_EQ(b[26] | b[27] << 8, 1);
    EXPECT_EQ(b[28] | b[29] << 8, 24);
    EXPECT_EQ(u32(b, 30), 0u);
    EXPECT_EQ(u32(b, 34), 3u * 16);
    for (size_t i = 38; i < 54; ++i) EXPECT_EQ(b[i], 0) << i;
}

TEST(BmpFile, WriteFailuresReturnFalse) {
    const uint8_t px[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_FALSE(writeBmp("/nonexistent-folder/x.bmp", 2, 1, px));
    EXPECT_FALSE(writeBmp(tempPath("empty.bmp").c_str(), 0, 1, px));
    EXPECT_TRUE(writeBmp(tempPath("tiny.bmp").c_str(), 2, 1, px));
}

// A disk that fills up part-way through a capture (the file-size limit acts it out): the
// capture fails, and the file of that name keeps the earlier capture whole.
TEST(BmpFile, ACaptureThatFailsPartWayLeavesNoCutFile) {
    const std::string path = tempPath("full_disk.bmp");
    const uint8_t px[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(writeBmp(path.c_str(), 2, 1, px));
    const std::vector<uint8_t> before = test_files::readBytes(path);
    const std::vector<uint8_t> big(256 * 256 * 3, 7);
    {
        fsize_test::ScopedFileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active());
        EXPECT_FALSE(writeBmp(path.c_str(), 256, 256, big.data())) << "a full disk is a failed capture";
    }
    EXPECT_EQ(test_files::readBytes(path), before);
    EXPECT_FALSE(std::ifstream(path + ".tmp").good()) << "nothing left beside it";
    std::remove(path.c_str());
}

class Capture : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_GL(); }
};

TEST_F(Capture, BmpHoldsTheBackBufferBottomRowFirst) {
    GlHarness& h = GlHarness::get();
    paintQuadrants();
    const std::string path = tempPath("frame.bmp");
    std::remove(path.c_str());
    ASSERT_TRUE(saveFrameBmp(path.c_str(), h.width, h.height));
    std::vector<uint8_t> b = test_files::readBytes(path);
    const size_t stride = bmpStride(h.width);
    ASSERT_EQ(b.size(), 54 + stride * size_t(h.height));
    EXPECT_EQ(u32(b, 2), b.size());
    auto bgr = [&](int x, int row) {
        size_t at = 54 + size_t(row) * stride + size_t(x) * 3;
        return std::array<int, 3>{b[at], b[at + 1], b[at + 2]};
    };
    EXPECT_EQ(bgr(0, 0), (std::array<int, 3>{0, 0, 255})) << "first stored row is the bottom: red";
    EXPECT_EQ(bgr(h.width - 1, 0), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(bgr(0, h.height - 1), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(bgr(h.width - 1, h.height - 1), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(GlHarness::get().glError(), unsigned(GL_NO_ERROR));
}

TEST_F(Capture, NarrowCapturesPadEachRow) {
    paintQuadrants();
    const std::string path = tempPath("narrow.bmp");
    ASSERT_TRUE(saveFrameBmp(path.c_str(), 1, 3));
    std::vector<uint8_t> b = test_files::readBytes(path);
    ASSERT_EQ(b.size(), 54u + 4 * 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(b[54 + size_t(row) * 4 + 2], 255) << "red";
        EXPECT_EQ(b[54 + size_t(row) * 4 + 3], 0) << "padding";
    }
    // Replaces an existing file.
    ASSERT_TRUE(saveFrameBmp(path.c_str(), 4, 2));
    EXPECT_EQ(test_files::readBytes(path).size(), 54u + 12 * 2);
}

TEST_F(Capture, EmptySizesOrUnwritablePathsFail) {
    EXPECT_FALSE(saveFrameBmp(tempPath("zero.bmp").c_str(), 0, 10));
    EXPECT_FALSE(saveFrameBmp(tempPath("zero.bmp").c_str(), 10, -1));
    EXPECT_FALSE(saveFrameBmp("/nonexistent-folder/frame.bmp", 10, 10));
    std::vector<uint8_t> out = {9};
    EXPECT_FALSE(readFrameRegion(0, 0, 0, 5, GlHarness::get().height, out));
    EXPECT_EQ(out, std::vector<uint8_t>{9}) << "left untouched";
}

TEST_F(Capture, RegionComesTopRowFirstInRgb) {
    GlHarness& h = GlHarness::get();
    paintQuadrants();
    std::vector<uint8_t> out;
    ASSERT_TRUE(readFrameRegion(0, 0, 2, 2, h.height, out));
    ASSERT_EQ(out.size(), 12u);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 3), (std::vector<uint8_t>{0, 0, 255}))
        << "top-left of the window is the blue quadrant";
    // A rectangle straddling the middle: top half white/blue, bottom half red/green.
    ASSERT_TRUE(readFrameRegion(h.width / 2 - 1, h.height / 2 - 1, 2, 2, h.height, out));
    const std::vector<uint8_t> want = {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0};
    EXPECT_EQ(out, want);
}

TEST_F(Capture, RegionIsClippedToTheWindow) {
    GlHarness& h = GlHarness::get();
    paintQuadrants();
    std::vector<uint8_t> out;
    // Hangs over the top-left corner by one pixel each way: the outside stays black.
    ASSERT_TRUE(readFrameRegion(-1, -1, 2, 2, h.height, out, h.width));
    EXPECT_EQ(out, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255}));
    // Over the bottom-right corner.
    ASSERT_TRUE(readFrameRegion(h.width - 1, h.height - 1, 2, 2, h.height, out, h.width));
    EXPECT_EQ(out, (std::vector<uint8_t>{0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // Wholly outside.
    ASSERT_TRUE(readFrameRegion(h.width + 5, 0, 3, 3, h.height, out, h.width));
    EXPECT_EQ(out, std::vector<uint8_t>(27, 0));
    EXPECT_EQ(GlHarness::get().glError(), unsigned(GL_NO_ERROR));
}

}  // namespace
