#include "platform/system/gl.h"

#include <GL/gl.h>
#include <SDL.h>

#ifndef GL_MAJOR_VERSION
#define GL_MAJOR_VERSION 0x821B
#define GL_MINOR_VERSION 0x821C
#endif

namespace plat {

bool glVersionAtLeast(int32_t major, int32_t minor) {
    if (!SDL_GL_GetCurrentContext()) return false;
    while (glGetError() != GL_NO_ERROR) {
    }
    GLint ma = 0, mi = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &ma);
    glGetIntegerv(GL_MINOR_VERSION, &mi);
    // Contexts older than 3.0 do not know these queries.
    if (glGetError() != GL_NO_ERROR) return false;
    return ma > major || (ma == major && mi >= minor);
}

bool glHasSwapControl() {
    if (!SDL_GL_GetCurrentContext()) return false;
    // Setting the interval it already has is harmless and tells whether the driver lets us.
    int current = SDL_GL_GetSwapInterval();
    return SDL_GL_SetSwapInterval(current) == 0;
}

}  // namespace plat
