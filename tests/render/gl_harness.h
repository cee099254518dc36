#pragma once
// A hidden window with an OpenGL 3.3 core context, shared by the GL tests for the whole run,
// with the renderer initialised once on it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "render/renderer.h"
#include "tests/support/test_window.h"

struct GlHarness {
    static GlHarness& get();

    TestWindow window;
    bool ok = false;
    std::string failure;
    int width = 0;
    int height = 0;
    bool rendererReady = false;
    Renderer renderer;

    // One pixel of the back buffer at GL coordinates (origin bottom-left), as 0..255 RGB.
    std::array<int, 3> pixel(int x, int y) const;
    // The whole back buffer, top row first.
    std::vector<uint8_t> frame() const;
    // Clears the back buffer to one colour.
    void clearWindow(float r, float g, float b) const;
    // glGetError, drained.
    unsigned int glError() const;
};

// Tests that need the context skip themselves when there is none.
#define REQUIRE_GL()                                                            \
    do {                                                                        \
        if (!GlHarness::get().ok) GTEST_SKIP() << GlHarness::get().failure;     \
    } while (0)
