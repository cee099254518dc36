#pragma once
// OpenGL context facts the renderer's loader needs beyond the entry points themselves
// (those come from glProcAddress in platform/system/window.h).
#include <cstdint>

namespace plat {

// An OpenGL context is current on the calling thread.
bool glContextCurrent();

// The current context reports at least this version (GL_MAJOR_VERSION/GL_MINOR_VERSION).
// An entry point that resolves proves nothing on Mesa, which hands out stubs for any name.
bool glVersionAtLeast(int32_t major, int32_t minor);

// Whether the swap interval can be controlled at all; without it vsync changes are no-ops.
bool glHasSwapControl();

}  // namespace plat
