// The backend side of kept geometry: GL buffers per kept shape, filled when its version
// changes, drawn from a draw callback with the backend's own program and vertex layout.
#include "imgui_kept_geometry.h"

#include <cstddef>
#include <vector>

#include "imgui_impl_opengl3_loader.h"

#ifndef GL_STATIC_DRAW
#define GL_STATIC_DRAW 0x88E4
#endif

namespace {

struct Uploaded {
    const KeptUiGeometry* kept = nullptr;
    uint64_t version = 0;
    GLuint vertices = 0, indices = 0;
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
// attributes are in place; the reset that follows puts its own buffers back. The kept
// list's commands are drawn as the backend draws its own (GL 3.2 and later: with their
// vertex offsets).
void drawKept(const ImDrawList*, const ImDrawCmd* cmd) {
    const KeptUiGeometry& kept = *static_cast<const KeptUiGeometry*>(cmd->UserCallbackData);
    const ImDrawList& list = kept.list;
    Uploaded& u = uploadOf(kept);
    glBindBuffer(GL_ARRAY_BUFFER, u.vertices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, u.indices);
    if (u.version != kept.version) {
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(list.VtxBuffer.size_in_bytes()), list.VtxBuffer.Data,
                     GL_STATIC_DRAW);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(list.IdxBuffer.size_in_bytes()),
                     list.IdxBuffer.Data, GL_STATIC_DRAW);
        u.version = kept.version;
    }
    // The clip rectangle in framebuffer pixels, as the backend sets it for its own commands.
    const ImDrawData* data = ImGui::GetDrawData();
    const ImVec2 off = data->DisplayPos, scale = data->FramebufferScale;
    const int fbHeight = static_cast<int>(data->DisplaySize.y * scale.y);
    const ImVec2 lo((cmd->ClipRect.x - off.x) * scale.x, (cmd->ClipRect.y - off.y) * scale.y);
    const ImVec2 hi((cmd->ClipRect.z - off.x) * scale.x, (cmd->ClipRect.w - off.y) * scale.y);
    if (hi.x <= lo.x || hi.y <= lo.y) return;
    glScissor(static_cast<int>(lo.x), static_cast<int>(static_cast<float>(fbHeight) - hi.y),
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
    for (const ImDrawCmd& c : list.CmdBuffer) {
        if (c.ElemCount == 0) continue;
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(reinterpret_cast<intptr_t>(c.GetTexID())));
        glDrawElementsBaseVertex(GL_TRIANGLES, static_cast<GLsizei>(c.ElemCount),
                                 sizeof(ImDrawIdx) == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                                 reinterpret_cast<void*>(static_cast<intptr_t>(c.IdxOffset * sizeof(ImDrawIdx))),
                                 static_cast<GLint>(c.VtxOffset));
    }
}

}  // namespace

void keepUiGeometry(KeptUiGeometry& kept, const ImDrawList& like, const std::function<void(ImDrawList&)>& draw) {
    ImDrawList& list = kept.list;
    list._Data = like._Data;
    list._ResetForNewFrame();
    // However many vertices: the list splits into commands with their own vertex offsets.
    list.Flags = like.Flags | ImDrawListFlags_AllowVtxOffset;
    list.PushClipRectFullScreen();
    list.PushTextureID(like._CmdHeader.TextureId);
    draw(list);
    kept.version = ++lastVersion;
}

void drawKeptUiGeometry(ImDrawList& dl, const KeptUiGeometry& kept) {
    if (kept.list.IdxBuffer.Size == 0) return;
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
