#include "render/model_pack.h"

#include <cstring>

namespace {

int32_t readI32(const uint8_t* p) {
    uint32_t u = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    int32_t v;
    std::memcpy(&v, &u, 4);
    return v;
}

float readF32(const uint8_t* p) {
    int32_t bits = readI32(p);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

}  // namespace

std::vector<PackModel> parseModelPack(const uint8_t* data, size_t size) {
    std::vector<PackModel> out;
    if (!data || size < 8 || std::memcmp(data, "QXG2", 4) != 0) return out;
    const int32_t count = readI32(data + 4);
    // Sizes in 64 bits throughout, so no count can wrap an offset past the end.
    uint64_t pos = 8;
    for (int32_t i = 0; i < count; ++i) {
        if (pos + kPackModelHeaderBytes > size) break;
        const uint8_t* h = data + pos;
        const int32_t n = readI32(h + 16);
        if (n < 0) break;
        const uint64_t bytes = uint64_t(n) * kPackVertexBytes;
        if (pos + kPackModelHeaderBytes + bytes > size) break;
        PackModel m;
        std::memcpy(m.name, h, 16);
        m.vertexCount = n;
        m.muzzleX = readF32(h + 20);
        m.muzzleY = readF32(h + 24);
        m.muzzleZ = readF32(h + 28);
        m.sightHeight = readF32(h + 32);
        m.length = readF32(h + 36);
        m.vertices = h + kPackModelHeaderBytes;
        out.push_back(m);
        pos += kPackModelHeaderBytes + bytes;
    }
    return out;
}
