#pragma once
// The renderer's state that App holds by value: GL object names as plain unsigned ints, so
// no GL header is needed to hold it. Only the renderer works on it.
#include <cstdint>
#include <vector>

// The offscreen multisample target the scene is drawn into before it is resolved.
struct MsaaTarget {
    unsigned int framebuffer = 0;  // 0 = no target
    unsigned int colorBuffer = 0;
    unsigned int depthBuffer = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t samples = 0;
};

// One uploaded gun model, in pack order (= gun catalogue order).
struct GunModel {
    unsigned int vertexArray = 0;
    unsigned int vertexBuffer = 0;
    int32_t vertexCount = 0;
    float muzzleX = 0;
    float muzzleY = 0;
    float muzzleZ = 0;
    float sightHeight = 0;
    float length = 0;
};

// Owns no GL object by construction or destruction: programs, meshes and model buffers
// live until the context dies, and only the target is released explicitly.
struct Renderer {
    unsigned int worldProgram = 0;
    unsigned int sphereProgram = 0;
    unsigned int gunProgram = 0;
    std::vector<GunModel> models;
    unsigned int roomVertexArray = 0;
    unsigned int roomVertexBuffer = 0;
    unsigned int sphereVertexArray = 0;
    unsigned int sphereVertexBuffer = 0;
    unsigned int sphereIndexBuffer = 0;
    int32_t sphereIndexCount = 0;
    MsaaTarget msaa;
    int32_t roomVertexCount = 0;
};
