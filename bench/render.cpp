// CPU cost of the scene passes for one frame at 1600x900: the renderer's own calls and the
// driver's bookkeeping for them, not the drawing. By default Mesa's no-op driver stands in
// for the GPU (llvmpipe would shade vertices and resolve the multisample target on this very
// thread, inside the timed calls); TARVION_BENCH_GL=real measures on the real driver.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/catalog/armory.h"
#include "engine/kernel/debris.h"
#include "engine/kernel/drill_round.h"
#include "platform/base/process.h"
#include "platform/system/window.h"
#include "render/renderer.h"

namespace {

struct Context {
    bool ok = false;
    Renderer renderer;
};

Context& context() {
    static Context* c = [] {
        auto* ctx = new Context;
        const char* mode = std::getenv("TARVION_BENCH_GL");
        if ((!mode || std::strcmp(mode, "real") != 0) && !std::getenv("GALLIUM_NOOP"))
            plat::setEnv("GALLIUM_NOOP", "true");
        if (!plat::createGlWindow("bench", 1600, 900, nullptr) || !loadGlFunctions()) return ctx;
        ctx->ok = initRenderer(ctx->renderer);
        return ctx;
    }();
    return *c;
}

void runFrames(benchmark::State& state, SceneView view) {
    Context& c = context();
    if (!c.ok) {
        state.SkipWithError("no OpenGL 3.3 context (run under Xvfb)");
        return;
    }
    ensureMsaaTarget(c.renderer.msaa, view.width, view.height, 4);
    drawScene(c.renderer, view);
    glFinish();
    for (auto _ : state) {
        drawScene(c.renderer, view);
        state.PauseTiming();
        glFinish();  // the driver's share of the frame
        view.time += 0.001f;
        state.ResumeTiming();
    }
}

// A flick round in full swing: six targets, the orb, a burst of debris, the rifle firing.
void BM_RoundFrame(benchmark::State& state) {
    static std::vector<RenderSphere> spheres;
    static std::vector<Debris> debris;
    spheres.clear();
    debris.clear();
    for (int i = 0; i < 6; ++i)
        spheres.push_back({float(-6 + 2.4 * i), float(1.5 + std::sin(i)), -19.0f, 0.55f, 0, 0.0f});
    spheres.push_back({2.0f, 0.5f, -15.0f, 0.7f, 1, 1.0f});
    for (int i = 0; i < 24; ++i)
        debris.push_back({{float(0.1 * i), 1.5f, -18.0f}, {0, 0, 0}, 0.02f * float(i), 0.5f, 0.12f, {0.1f, 0.85f, 0.92f}});
    SceneView v;
    v.width = 1600;
    v.height = 900;
    v.fov = 103;
    v.yaw = 3;
    v.pitch = 1.5;
    v.spheres = &spheres;
    v.debris = &debris;
    v.map = &mapCatalog()[0];
    v.skin = &skinCatalog()[2];
    v.gunIndex = 3;
    v.gunKick[0] = 0.01f;
    v.gunKick[1] = 2.0f;
    v.muzzleFlash = 0.8f;
    runFrames(state, v);
}
BENCHMARK(BM_RoundFrame)->Unit(benchmark::kMicrosecond);

// The Armory turntable under the open sky.
void BM_ArmoryFrame(benchmark::State& state) {
    SceneView v;
    v.width = 1600;
    v.height = 900;
    v.fov = 103;
    v.dim = 0.15f;
    v.map = &mapCatalog()[2];
    v.skin = &skinCatalog()[16];
    v.gunIndex = 6;
    v.armoryPreview = true;
    v.previewSpin = 40;
    runFrames(state, v);
}
BENCHMARK(BM_ArmoryFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
