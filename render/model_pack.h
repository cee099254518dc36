#pragma once
// The model pack's byte layout, read without any GL: little-endian, magic "QXG2", a model
// count, then per model a 40-byte header and 64-byte vertices.
#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr size_t kPackModelHeaderBytes = 40;
inline constexpr size_t kPackVertexBytes = 64;

struct PackModel {
    char name[17] = {};
    int32_t vertexCount = 0;
    float muzzleX = 0;
    float muzzleY = 0;
    float muzzleZ = 0;
    float sightHeight = 0;
    float length = 0;
    const uint8_t* vertices = nullptr;  // vertexCount * 64 bytes inside the pack
};

// The models that fit, in pack order. Reading stops at the first model whose header or
// vertices run past the end, or whose vertex count is negative; the ones before it stay.
// A wrong magic, a short pack or a count of 0 or less gives none.
std::vector<PackModel> parseModelPack(const uint8_t* data, size_t size);
