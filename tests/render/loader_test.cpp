// Shader compile and link results, and the multisample target following size and samples.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/system/resources.h"
#include "render/model_pack.h"
#include "tests/render/gl_harness.h"

namespace {

const char* kVertex = "#version 330 core\nlayout(location = 0) in vec3 aPos;\nvoid main() { gl_Position = vec4(aPos, 1.0); }\n";
const char* kFragment = "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n";
const char* kBroken = "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(1.0) + undefinedThing; }\n";
// Compiles, but calls a function that no stage defines: the link fails.
const char* kUnlinked =
    "#version 330 core\nvec4 nowhere();\nvoid main() { gl_Position = nowhere(); }\n";

class Loader : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_GL(); }
};

TEST_F(Loader, ShaderFailuresYieldNoProgram) {
    EXPECT_NE(compileShader(GL_VERTEX_SHADER, kVertex), 0u);
    EXPECT_EQ(compileShader(GL_FRAGMENT_SHADER, kBroken), 0u);
    EXPECT_NE(linkProgram(kVertex, kFragment), 0u);
    EXPECT_EQ(linkProgram(kVertex, kBroken), 0u) << "a compile error fails the program";
    EXPECT_EQ(linkProgram(kBroken, kFragment), 0u);
    EXPECT_EQ(linkProgram(kUnlinked, kFragment), 0u) << "a link error fails the program";
    EXPECT_EQ(GlHarness::get().glError(), unsigned(GL_NO_ERROR));
}

TEST_F(Loader, DamagedPackUploadsTheModelsBeforeTheDamage) {
    const plat::ResourceBytes pack = plat::modelPackBytes();
    // Cut inside the fourth model's vertices.
    size_t cut = 8;
    for (const PackModel& m : parseModelPack(pack.data, pack.size)) {
        if (std::string(m.name) == "halberd") break;
        cut += kPackModelHeaderBytes + size_t(m.vertexCount) * kPackVertexBytes;
    }
    cut += kPackModelHeaderBytes + 100;
    Renderer r;
    EXPECT_TRUE(loadModelPack(r, pack.data, cut));
    ASSERT_EQ(r.models.size(), 3u);
    EXPECT_EQ(r.models[2].vertexCount, 3492);
    EXPECT_NE(r.models[2].vertexArray, 0u);
    EXPECT_FLOAT_EQ(r.models[2].muzzleZ, -0.31f);
    EXPECT_FLOAT_EQ(r.models[2].sightHeight, 0.048599f);

    Renderer none;
    EXPECT_FALSE(loadModelPack(none, pack.data + 1, pack.size - 1)) << "no magic, no models";
    EXPECT_TRUE(none.models.empty());
    EXPECT_EQ(GlHarness::get().glError(), unsigned(GL_NO_ERROR));
}

TEST_F(Loader, SwapIntervalIsSafeWithOrWithoutTheExtension) {
    setSwapInterval(0);
    setSwapInterval(1);
    setSwapInterval(0);
    EXPECT_EQ(GlHarness::get().glError(), unsigned(GL_NO_ERROR));
}

TEST_F(Loader, TargetFollowsSizeAndSamples) {
    MsaaTarget t;
    ensureMsaaTarget(t, 320, 180, 4);
    ASSERT_NE(t.framebuffer, 0u);
    EXPECT_NE(t.colorBuffer, 0u);
    EXPECT_NE(t.depthBuffer, 0u);
    EXPECT_EQ(t.samples, 4);
    const unsigned int first = t.framebuffer;

    ensureMsaaTarget(t, 320, 180, 4);
    EXPECT_EQ(t.framebuffer, first) << "unchanged size and samples keep the target";

    ensureMsaaTarget(t, 0, 180, 4);
    ensureMsaaTarget(t, 320, -1, 4);
    EXPECT_EQ(t.framebuffer, first) << "a minimised window leaves it alone";
    EXPECT_EQ(t.width, 320);

    ensureMsaaTarget(t, 200, 100, 4);
    EXPECT_NE(t.framebuffer, 0u);
    EXPECT_EQ(t.width, 200);
    EXPECT_EQ(t.height, 100);

    ensureMsaaTarget(t, 200, 100, 0);
    EXPECT_EQ(t.framebuffer, 0u) << "multisampling off releases it";
    EXPECT_EQ(t.colorBuffer, 0u);
    EXPECT_EQ(t.samples, 0);
    ensureMsaaTarget(t, 200, 100, 0);
    EXPECT_EQ(t.framebuffer, 0u);

    ensureMsaaTarget(t, 200, 100, 4);
    EXPECT_NE(t.framebuffer, 0u) << "and on again creates it";

    releaseMsaaTarget(t);
    EXPECT_EQ(t.framebuffer, 0u);
    EXPECT_EQ(t.depthBuffer, 0u);
    EXPECT_EQ(t.width, 200) << "release keeps the remembered size";
    EXPECT_EQ(t.samples, 4);
    EXPECT_EQ(GlHarness::get().glError(), unsigned(GL_NO_ERROR));
}

TEST_F(Loader, ResizedTargetDrawsAtItsNewSize) {
    GlHarness& h = GlHarness::get();
    ASSERT_TRUE(h.rendererReady);
    Renderer& r = h.renderer;
    SceneView view;
    view.fov = 90;
    std::vector<uint8_t> smallRegion;
    for (int samples : {4, 0}) {
        GlHarness::get().clearWindow(1, 0, 1);
        view.width = 160;
        view.height = 90;
        ensureMsaaTarget(r.msaa, view.width, view.height, samples);
        drawScene(r, view);
        EXPECT_EQ(GlHarness::get().glError(), unsigned(GL_NO_ERROR));
        // Through the target only the frame's own corner of the window is written; drawn
        // straight into the window, the pass's clear covers all of it.
        if (samples) {
            EXPECT_EQ(h.pixel(h.width - 1, h.height - 1), (std::array<int, 3>{255, 0, 255}));
            EXPECT_EQ(r.msaa.width, 160);
        }
        EXPECT_NE(h.pixel(80, 45), (std::array<int, 3>{255, 0, 255}));
        std::vector<uint8_t> region;
        readFrameRegion(0, h.height - 90, 160, 90, h.height, region);
        if (smallRegion.empty()) {
            smallRegion = region;
        } else {
            // Away from the sub-pixel edges, the frame is the same with or without samples.
            EXPECT_EQ(std::vector<uint8_t>(region.begin() + 3 * 160 * 40, region.begin() + 3 * 160 * 40 + 30),
                      std::vector<uint8_t>(smallRegion.begin() + 3 * 160 * 40, smallRegion.begin() + 3 * 160 * 40 + 30));
        }
    }
}

}  // namespace
