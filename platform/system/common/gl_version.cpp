#include "platform/system/gl.h"

#ifdef _WIN32
#include <windows.h>  // MinGW's gl.h needs its calling-convention macros
#endif
#include <GL/gl.h>

// The 3.0 version queries; MinGW's gl.h stops at 1.1.
#ifndef GL_MAJOR_VERSION
#define GL_MAJOR_VERSION 0x821B
#define GL_MINOR_VERSION 0x821C
#endif

namespace plat {

bool glVersionAtLeast(int32_t major, int32_t minor) {
    if (!glContextCurrent()) return false;
    while (glGetError() != GL_NO_ERROR) {
    }
    GLint ma = 0, mi = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &ma);
    glGetIntegerv(GL_MINOR_VERSION, &mi);
    // Contexts older than 3.0 do not know these queries.
    if (glGetError() != GL_NO_ERROR) return false;
    return ma > major || (ma == major && mi >= minor);
}

}  // namespace plat
