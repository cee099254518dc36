// Preloaded into the program (LD_PRELOAD): OpenGL hands out no program objects, as a driver
// on which the renderer's shaders cannot be built. Everything else is the real driver's.
#include <dlfcn.h>

#include <cstring>

namespace {

unsigned int noProgram() { return 0; }

}  // namespace

extern "C" __attribute__((visibility("default"))) void* SDL_GL_GetProcAddress(const char* name) {
    using Lookup = void* (*)(const char*);
    static const Lookup real = reinterpret_cast<Lookup>(dlsym(RTLD_NEXT, "SDL_GL_GetProcAddress"));
    if (name && std::strcmp(name, "glCreateProgram") == 0) return reinterpret_cast<void*>(&noProgram);
    return real ? real(name) : nullptr;
}
