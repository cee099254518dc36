#include "platform/system/ui_backend.h"

#include <windows.h>

#include "imgui.h"
#include "imgui_impl_win32.h"
#include "platform/system/common/ui_backend_system.h"
#include "platform/system/win32/window_internal.h"

namespace plat {

namespace {
bool platformUp = false;
}  // namespace

namespace win32 {
bool uiBackendActive() { return platformUp && ImGui::GetCurrentContext() != nullptr; }
}  // namespace win32

bool uiSystemBackendInit(void* window) {
    platformUp = ImGui_ImplWin32_InitForOpenGL(window);
    return platformUp;
}

void uiSystemBackendNewFrame() {
    if (platformUp) ImGui_ImplWin32_NewFrame();
}

void uiSystemBackendShutdown() {
    if (platformUp) ImGui_ImplWin32_Shutdown();
    platformUp = false;
}

float uiDpiScale(void* window) { return window ? ImGui_ImplWin32_GetDpiScaleForHwnd(window) : 1.0f; }

}  // namespace plat
