// The UI backend's lifecycle: the system's platform backend and the OpenGL3 renderer with
// the geometry the UI keeps from frame to frame.
#include "platform/system/ui_backend.h"

#include "imgui.h"
#include "imgui_impl_opengl3.h"
#include "imgui_kept_geometry.h"
#include "platform/system/common/ui_backend_system.h"

namespace plat {

namespace {
bool rendererUp = false;
}  // namespace

bool uiBackendInit(void* window) {
    if (!window || !ImGui::GetCurrentContext()) return false;
    const bool platformUp = uiSystemBackendInit(window);
    rendererUp = platformUp && ImGui_ImplOpenGL3_Init("#version 330");
    return platformUp && rendererUp;
}

void uiBackendNewFrame() {
    if (rendererUp) ImGui_ImplOpenGL3_NewFrame();
    uiSystemBackendNewFrame();
}

void uiBackendRenderDrawData() {
    if (rendererUp) ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
}

void uiBackendFontsChanged() {
    if (!rendererUp) return;
    ImGui_ImplOpenGL3_DestroyFontsTexture();
    ImGui_ImplOpenGL3_CreateFontsTexture();
}

void uiBackendShutdown() {
    if (rendererUp) {
        releaseKeptUiGeometry();
        ImGui_ImplOpenGL3_Shutdown();
    }
    uiSystemBackendShutdown();
    rendererUp = false;
}

}  // namespace plat
