#pragma once
// The renderer's one view of OpenGL (private to render/*.cpp): the names and enums of the
// core profile from <GL/glcorearb.h>, the OpenGL 1.1 functions every system library
// exports, and the 3.3 entry points the renderer resolves itself (null until
// loadGlFunctions runs). MinGW's <GL/gl.h> stops at OpenGL 1.1, so no system gl.h is used.
#include <cstddef>

// glcorearb.h pulls in windows.h on Windows unless the calling convention is already
// known; windows.h would bring its `near` and `far` macros into every renderer file.
#ifndef APIENTRY
#if defined(_WIN32)
#define APIENTRY __stdcall
#else
#define APIENTRY
#endif
#endif
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1  // declarations of the 1.1 functions linked directly
#endif
#include <GL/glcorearb.h>

namespace gl {

using Enum = unsigned int;
using Uint = unsigned int;
using Int = int;
using Sizei = int;
using Bitfield = unsigned int;

#define TARVION_GL_FUNCTIONS(X)                                                                   \
    X(void, GenBuffers, (Sizei n, Uint* buffers))                                                 \
    X(void, BindBuffer, (Enum target, Uint buffer))                                               \
    X(void, BufferData, (Enum target, std::ptrdiff_t size, const void* data, Enum usage))         \
    X(void, DeleteBuffers, (Sizei n, const Uint* buffers))                                        \
    X(void, GenVertexArrays, (Sizei n, Uint* arrays))                                             \
    X(void, BindVertexArray, (Uint array))                                                        \
    X(void, DeleteVertexArrays, (Sizei n, const Uint* arrays))                                    \
    X(void, VertexAttribPointer,                                                                  \
      (Uint index, Int size, Enum type, unsigned char normalized, Sizei stride, const void* ptr)) \
    X(void, EnableVertexAttribArray, (Uint index))                                                \
    X(Uint, CreateShader, (Enum type))                                                            \
    X(void, ShaderSource, (Uint shader, Sizei count, const char* const* strings, const Int* lens)) \
    X(void, CompileShader, (Uint shader))                                                         \
    X(void, GetShaderiv, (Uint shader, Enum pname, Int* params))                                  \
    X(void, GetShaderInfoLog, (Uint shader, Sizei bufSize, Sizei* length, char* log))             \
    X(void, DeleteShader, (Uint shader))                                                          \
    X(Uint, CreateProgram, ())                                                                    \
    X(void, AttachShader, (Uint program, Uint shader))                                            \
    X(void, LinkProgram, (Uint program))                                                          \
    X(void, GetProgramiv, (Uint program, Enum pname, Int* params))                                \
    X(void, GetProgramInfoLog, (Uint program, Sizei bufSize, Sizei* length, char* log))           \
    X(void, DeleteProgram, (Uint program))                                                        \
    X(void, UseProgram, (Uint program))                                                           \
    X(Int, GetUniformLocation, (Uint program, const char* name))                                  \
    X(void, Uniform1f, (Int location, float v0))                                                  \
    X(void, Uniform3f, (Int location, float v0, float v1, float v2))                              \
    X(void, Uniform4f, (Int location, float v0, float v1, float v2, float v3))                    \
    X(void, UniformMatrix4fv, (Int location, Sizei count, unsigned char transpose, const float* v)) \
    X(void, GenFramebuffers, (Sizei n, Uint* framebuffers))                                       \
    X(void, BindFramebuffer, (Enum target, Uint framebuffer))                                     \
    X(void, DeleteFramebuffers, (Sizei n, const Uint* framebuffers))                              \
    X(void, GenRenderbuffers, (Sizei n, Uint* renderbuffers))                                     \
    X(void, BindRenderbuffer, (Enum target, Uint renderbuffer))                                   \
    X(void, DeleteRenderbuffers, (Sizei n, const Uint* renderbuffers))                            \
    X(void, RenderbufferStorageMultisample,                                                       \
      (Enum target, Sizei samples, Enum internalformat, Sizei width, Sizei height))               \
    X(void, FramebufferRenderbuffer, (Enum target, Enum attachment, Enum rbtarget, Uint rb))      \
    X(Enum, CheckFramebufferStatus, (Enum target))                                                \
    X(void, BlitFramebuffer, (Int srcX0, Int srcY0, Int srcX1, Int srcY1, Int dstX0, Int dstY0,   \
                              Int dstX1, Int dstY1, Bitfield mask, Enum filter))

#define TARVION_GL_DECLARE(ret, name, args) extern ret(APIENTRY* name) args;
TARVION_GL_FUNCTIONS(TARVION_GL_DECLARE)
#undef TARVION_GL_DECLARE

}  // namespace gl
