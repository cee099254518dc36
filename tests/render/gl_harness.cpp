#include "tests/render/gl_harness.h"

#include <GL/gl.h>
#include <SDL.h>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 180;

}  // namespace

GlHarness& GlHarness::get() {
    static GlHarness* h = [] {
        auto* g = new GlHarness;
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            g->failure = std::string("SDL_Init: ") + SDL_GetError();
            return g;
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        SDL_Window* w = SDL_CreateWindow("render tests", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!w) {
            g->failure = std::string("SDL_CreateWindow: ") + SDL_GetError();
            return g;
        }
        SDL_GLContext c = SDL_GL_CreateContext(w);
        if (!c || SDL_GL_MakeCurrent(w, c) != 0) {
            g->failure = std::string("no OpenGL 3.3 core context: ") + SDL_GetError();
            return g;
        }
        SDL_GL_GetDrawableSize(w, &g->width, &g->height);
        if (!loadGlFunctions()) {
            g->failure = "loadGlFunctions failed";
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
