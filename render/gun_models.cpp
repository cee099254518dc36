#include <cstdint>

#include "platform/system/resources.h"
#include "render/gl_api.h"
#include "render/model_pack.h"
#include "render/renderer.h"

bool loadModelPack(Renderer& r, const uint8_t* data, size_t size) {
    const size_t before = r.models.size();
    for (const PackModel& m : parseModelPack(data, size)) {
        GunModel g;
        g.vertexCount = m.vertexCount;
        g.muzzleX = m.muzzleX;
        g.muzzleY = m.muzzleY;
        g.muzzleZ = m.muzzleZ;
        g.sightHeight = m.sightHeight;
        g.length = m.length;
        gl::GenVertexArrays(1, &g.vertexArray);
        gl::BindVertexArray(g.vertexArray);
        gl::GenBuffers(1, &g.vertexBuffer);
        gl::BindBuffer(GL_ARRAY_BUFFER, g.vertexBuffer);
        // The pack is little-endian, as is every machine we build for: upload as it stands.
        gl::BufferData(GL_ARRAY_BUFFER, std::ptrdiff_t(size_t(m.vertexCount) * kPackVertexBytes), m.vertices,
                       GL_STATIC_DRAW);
        // position, normal, colour, material, barycentric corner, edge flags
        const int sizes[6] = {3, 3, 3, 1, 3, 3};
        uintptr_t offset = 0;
        for (unsigned int a = 0; a < 6; ++a) {
            gl::VertexAttribPointer(a, sizes[a], GL_FLOAT, GL_FALSE, int(kPackVertexBytes),
                                    reinterpret_cast<const void*>(offset));
            gl::EnableVertexAttribArray(a);
            offset += uintptr_t(sizes[a]) * sizeof(float);
        }
        r.models.push_back(g);
    }
    gl::BindVertexArray(0);
    gl::BindBuffer(GL_ARRAY_BUFFER, 0);
    return r.models.size() > before;
}

bool loadModelPack(Renderer& r) {
    plat::ResourceBytes pack = plat::modelPackBytes();
    return loadModelPack(r, pack.data, pack.size);
}
