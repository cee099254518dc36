// The backend side of kept geometry: GL buffers per kept shape, filled when its version
// changes, drawn from a draw callback with the backend's own program and vertex layout.
#include "imgui_kept_geometry.h"

#include <cstddef>

#include "imgui_impl_opengl3_loader.h"

#ifndef GL_STATIC_DRAW
#define GL_STATIC_DRAW 0x88E4
#endif

namespace {

struct Uploaded {
    const KeptUiGeometry* kept = nullptr;
    uint64_t version = 0;
    GLuint vertices = 0, indices = 0;
    GLsizei count = 0;
};

std::vector<Uploaded> uploads;

Uploaded& uploadOf(const KeptUiGeometry& kept) {
    for (Uploaded& u : uploads)
        if (u.kept == &kept) return u;
    Uploaded u;
    u.kept = &kept;
    glGenBuffers(1, &u.vertices);
    glGenBuffers(1, &u.indices);
    uploads.push_back(u);
    return uploads.back();
}

uint64_t lastVersion = 0;

// Runs inside the backend's draw loop: its program, blending, vertex array and enabled
// attributes are in place; the reset that follows puts its own buffers back.
void drawKept(const ImDrawList*, const ImDrawCmd* cmd) {
    const KeptUiGeometry& kept = *static_cast<const KeptUiGeometry*>(cmd->UserCallbackData);
    if (kept.indices.empty()) return;
    Uploaded& u = uploadOf(kept);
    glBindBuffer(GL_ARRAY_BUFFER, u.vertices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, u.indices);
    if (u.version != kept.version) {
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kept.vertices.size() * sizeof(ImDrawVert)),
                     kept.vertices.data(), GL_STATIC_DRAW);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(kept.indices.size() * sizeof(uint32_t)),
                     kept.indices.data(), GL_STATIC_DRAW);
        u.version = kept.version;
        u.count = static_cast<GLsizei>(kept.indices.size());
    }
    // The clip rectangle in framebuffer pixels, as the backend sets it for its own commands.
    const ImDrawData* data = ImGui::GetDrawData();
    const ImVec2 off = data->DisplayPos, scale = data->FramebufferScale;
    const float fbHeight = data->DisplaySize.y * scale.y;
    const ImVec2 lo((cmd->ClipRect.x - off.x) * scale.x, (cmd->ClipRect.y - off.y) * scale.y);
    const ImVec2 hi((cmd->ClipRect.z - off.x) * scale.x, (cmd->ClipRect.w - off.y) * scale.y);
    if (hi.x <= lo.x || hi.y <= lo.y) return;
    glScissor(static_cast<int>(lo.x), static_cast<int>(static_cast<float>(static_cast<int>(fbHeight)) - hi.y),
              static_cast<int>(hi.x - lo.x), static_cast<int>(hi.y - lo.y));

    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    const GLuint prog = static_cast<GLuint>(program);
    const GLint pos = glGetAttribLocation(prog, "Position");
    const GLint uv = glGetAttribLocation(prog, "UV");
    const GLint col = glGetAttribLocation(prog, "Color");
    if (pos < 0 || uv < 0 || col < 0) return;
    glVertexAttribPointer(static_cast<GLuint>(pos), 2, GL_FLOAT, GL_FALSE, sizeof(ImDrawVert),
                          reinterpret_cast<void*>(offsetof(ImDrawVert, pos)));
    glVertexAttribPointer(static_cast<GLuint>(uv), 2, GL_FLOAT, GL_FALSE, sizeof(ImDrawVert),
                          reinterpret_cast<void*>(offsetof(ImDrawVert, uv)));
    glVertexAttribPointer(static_cast<GLuint>(col), 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(ImDrawVert),
                          reinterpret_cast<void*>(offsetof(ImDrawVert, col)));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(reinterpret_cast<intptr_t>(kept.texture)));
    glDrawElements(GL_TRIANGLES, u.count, GL_UNSIGNED_INT, nullptr);
}

}  // namespace

void keepUiGeometry(KeptUiGeometry& kept, const ImDrawList& like, const std::function<void(ImDrawList&)>& draw) {
    ImDrawList list(like._Data);
    list._ResetForNewFrame();
    // However many vertices: the list splits into commands with their own vertex offsets,
    // which are folded into the indices below.
    list.Flags = like.Flags | ImDrawListFlags_AllowVtxOffset;
    list.PushClipRectFullScreen();
    list.PushTextureID(like._CmdHeader.TextureId);
    draw(list);
    kept.vertices.assign(list.VtxBuffer.begin(), list.VtxBuffer.end());
    kept.indices.clear();
    kept.indices.reserve(static_cast<size_t>(list.IdxBuffer.Size));
    for (const ImDrawCmd& c : list.CmdBuffer)
        for (unsigned int i = 0; i < c.ElemCount; ++i)
            kept.indices.push_back(static_cast<uint32_t>(list.IdxBuffer[static_cast<int>(c.IdxOffset + i)]) + c.VtxOffset);
    kept.texture = like._CmdHeader.TextureId;
    kept.version = ++lastVersion;
}

void drawKeptUiGeometry(ImDrawList& dl, const KeptUiGeometry& kept) {
    if (kept.indices.empty()) return;
    dl.AddCallback(&drawKept, const_cast<KeptUiGeometry*>(&kept));
    dl.AddCallback(ImDrawCallback_ResetRenderState, nullptr);
}

void releaseKeptUiGeometry() {
    for (Uploaded& u : uploads) {
        glDeleteBuffers(1, &u.vertices);
        glDeleteBuffers(1, &u.indices);
    }
    uploads.clear();
}
