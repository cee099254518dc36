#include "tests/render/gl_harness.h"

#include <GL/gl.h>

#include "platform/system/window.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 180;

}  // namespace

GlHarness& GlHarness::get() {
    static GlHarness* h = [] {
        auto* g = new GlHarness;
        if (!g->window.open("render tests", kWidth, kHeight)) {
            g->failure = g->window.why();
            return g;
        }
        int32_t w = 0, h = 0;
        plat::drawableSize(g->window.get(), &w, &h);
        g->width = w;
        g->height = h;
        if (!loadGlFunctions()) {
            g->failure = "no OpenGL 3.3 core context (loadGlFunctions failed)";
            return g;
        }
        g->ok = true;
        g->rendererReady = initRenderer(g->renderer);
        return g;
    }();
    return *h;
}

std::array<int, 3> GlHarness::pixel(int x, int y) const {
    std::vector<uint8_t> out;
    readFrameRegion(x, height - 1 - y, 1, 1, height, out, width);
    return {out[0], out[1], out[2]};
}

std::vector<uint8_t> GlHarness::frame() const {
    std::vector<uint8_t> out;
    readFrameRegion(0, 0, width, height, height, out, width);
    return out;
}

void GlHarness::clearWindow(float r, float g, float b) const {
    // The default framebuffer is bound whenever the renderer is idle.
    glDisable(GL_SCISSOR_TEST);
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

unsigned int GlHarness::glError() const {
    unsigned int first = glGetError();
    while (glGetError() != GL_NO_ERROR) {
    }
    return first;
}
