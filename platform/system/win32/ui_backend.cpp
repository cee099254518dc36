#include "platform/system/ui_backend.h"

#include <windows.h>

#include "imgui.h"
#include "imgui_impl_opengl3.h"
#include "imgui_kept_geometry.h"
#include "imgui_impl_win32.h"
#include "platform/system/win32/window_internal.h"

namespace plat {

namespace {
bool platformUp = false;
bool rendererUp = false;
}  // namespace

namespace win32 {
bool uiBackendActive() { return platformUp && ImGui::GetCurrentContext() != nullptr; }
}  // namespace win32

bool uiBackendInit(void* window) {
    if (!window || !ImGui::GetCurrentContext()) return false;
    platformUp = ImGui_ImplWin32_InitForOpenGL(window);
    rendererUp = platformUp && ImGui_ImplOpenGL3_Init("#version 330");
    return platformUp && rendererUp;
}

void uiBackendNewFrame() {
    if (rendererUp) ImGui_ImplOpenGL3_NewFrame();
    if (platformUp) ImGui_ImplWin32_NewFrame();
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
    if (platformUp) ImGui_ImplWin32_Shutdown();
    rendererUp = platformUp = false;
}

float uiDpiScale(void* window) { return window ? ImGui_ImplWin32_GetDpiScaleForHwnd(window) : 1.0f; }

}  // namespace plat
