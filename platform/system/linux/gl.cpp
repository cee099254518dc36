#include "platform/system/gl.h"

#include <SDL.h>

namespace plat {

bool glContextCurrent() { return SDL_GL_GetCurrentContext() != nullptr; }

bool glHasSwapControl() {
    if (!glContextCurrent()) return false;
    // Setting the interval it already has is harmless and tells whether the driver lets us.
    int current = SDL_GL_GetSwapInterval();
    return SDL_GL_SetSwapInterval(current) == 0;
}

}  // namespace plat
