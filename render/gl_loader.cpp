#include <cstdint>
#include <string>

#include "platform/base/errors.h"
#include "platform/system/gl.h"
#include "platform/system/window.h"
#include "render/gl_api.h"
#include "render/renderer.h"

namespace gl {
#define TARVION_GL_DEFINE(ret, name, args) ret(APIENTRY* name) args = nullptr;
TARVION_GL_FUNCTIONS(TARVION_GL_DEFINE)
#undef TARVION_GL_DEFINE
}  // namespace gl

namespace {

bool swapControl = false;

// Some drivers answer unknown names with small sentinel values instead of null.
bool usable(void* p) {
    auto v = reinterpret_cast<uintptr_t>(p);
    return !(v <= 3 || v == ~uintptr_t(0));
}

void report(const char* format, const char* log) {
    std::string line = format;
    line.replace(line.find("%s"), 2, log);
    plat::debugLog(line);
}

}  // namespace

bool loadGlFunctions() {
    bool ok = true;
#define TARVION_GL_RESOLVE(ret, name, args)                                \
    {                                                                      \
        void* p = plat::glProcAddress("gl" #name);                         \
        gl::name = usable(p) ? reinterpret_cast<decltype(gl::name)>(p) : nullptr; \
        if (!gl::name) ok = false;                                         \
    }
    TARVION_GL_FUNCTIONS(TARVION_GL_RESOLVE)
#undef TARVION_GL_RESOLVE
    swapControl = plat::glHasSwapControl();
    // A resolved name proves nothing on Mesa; the context must really be 3.3.
    return ok && plat::glVersionAtLeast(3, 3);
}

void setSwapInterval(int interval) {
    if (swapControl) plat::glSetSwapInterval(interval);
}

unsigned int compileShader(unsigned int type, const char* source) {
    GLuint shader = gl::CreateShader(type);
    if (!shader) return 0;
    gl::ShaderSource(shader, 1, &source, nullptr);
    gl::CompileShader(shader);
    GLint status = 0;
    gl::GetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (!status) {
        char log[2048] = {};
        gl::GetShaderInfoLog(shader, sizeof log, nullptr, log);
        report("shader error: %s\n", log);
        gl::DeleteShader(shader);
        return 0;
    }
    return shader;
}

unsigned int linkProgram(const char* vertexSource, const char* fragmentSource) {
    GLuint vs = compileShader(GL_VERTEX_SHADER, vertexSource);
    GLuint fs = compileShader(GL_FRAGMENT_SHADER, fragmentSource);
    GLuint program = (vs && fs) ? gl::CreateProgram() : 0;
    if (program) {
        gl::AttachShader(program, vs);
        gl::AttachShader(program, fs);
        gl::LinkProgram(program);
        GLint status = 0;
        gl::GetProgramiv(program, GL_LINK_STATUS, &status);
        if (!status) {
            char log[2048] = {};
            gl::GetProgramInfoLog(program, sizeof log, nullptr, log);
            report("link error: %s\n", log);
            gl::DeleteProgram(program);
            program = 0;
        }
    }
    // Attached shaders live on with the program; the names are no longer needed.
    if (vs) gl::DeleteShader(vs);
    if (fs) gl::DeleteShader(fs);
    return program;
}

void releaseMsaaTarget(MsaaTarget& t) {
    if (t.framebuffer) gl::DeleteFramebuffers(1, &t.framebuffer);
    if (t.colorBuffer) gl::DeleteRenderbuffers(1, &t.colorBuffer);
    if (t.depthBuffer) gl::DeleteRenderbuffers(1, &t.depthBuffer);
    t.framebuffer = t.colorBuffer = t.depthBuffer = 0;
}

void ensureMsaaTarget(MsaaTarget& t, int width, int height, int samples) {
    if (width <= 0 || height <= 0) return;
    if (width == t.width && height == t.height && samples == t.samples) {
        if (t.framebuffer || samples < 2) return;
    }
    releaseMsaaTarget(t);
    t.width = width;
    t.height = height;
    t.samples = samples;
    if (samples < 2) return;

    gl::GenFramebuffers(1, &t.framebuffer);
    gl::BindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
    gl::GenRenderbuffers(1, &t.colorBuffer);
    gl::BindRenderbuffer(GL_RENDERBUFFER, t.colorBuffer);
    gl::RenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
    gl::FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, t.colorBuffer);
    gl::GenRenderbuffers(1, &t.depthBuffer);
    gl::BindRenderbuffer(GL_RENDERBUFFER, t.depthBuffer);
    gl::RenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH_COMPONENT24, width, height);
    gl::FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, t.depthBuffer);
    gl::BindRenderbuffer(GL_RENDERBUFFER, 0);
    if (gl::CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        // Drawn straight into the window; the next call asks again.
        gl::BindFramebuffer(GL_FRAMEBUFFER, 0);
        releaseMsaaTarget(t);
        t.samples = 0;
    }
    gl::BindFramebuffer(GL_FRAMEBUFFER, 0);
}
