#include "platform/system/gl.h"

#include <windows.h>
#include <GL/gl.h>

#include "platform/system/win32/window_internal.h"

// The 3.0 version queries; MinGW's gl.h stops at 1.1.
#ifndef GL_MAJOR_VERSION
#define GL_MAJOR_VERSION 0x821B
#define GL_MINOR_VERSION 0x821C
#endif

namespace plat {

bool glVersionAtLeast(int32_t major, int32_t minor) {
    if (!wglGetCurrentContext()) return false;
    while (glGetError() != GL_NO_ERROR) {
    }
    GLint ma = 0, mi = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &ma);
    glGetIntegerv(GL_MINOR_VERSION, &mi);
    // Contexts older than 3.0 do not know these queries.
    if (glGetError() != GL_NO_ERROR) return false;
    return ma > major || (ma == major && mi >= minor);
}

bool glHasSwapControl() { return win32::hasSwapIntervalControl(); }

}  // namespace plat
