#pragma once
// The UI library's platform and renderer backends for the window. The UI context itself
// (ImGui::CreateContext) is made by the caller first.

namespace plat {

// Both backends on the window and its current GL context ("#version 330" shaders).
bool uiBackendInit(void* window);
// Starts a UI frame: renderer backend, then platform backend (the caller then calls
// ImGui::NewFrame).
void uiBackendNewFrame();
// Draws the UI library's draw data of the frame just rendered.
void uiBackendRenderDrawData();
void uiBackendShutdown();
// The UI library's font atlas was built anew (another UI scale): its texture follows.
void uiBackendFontsChanged();
// The desktop's display scale for the window (1.0: none): on Windows its monitor's DPI over
// 96; on Linux the desktop's Xft.dpi over 96, else the display's DPI over 96. Needs only the
// window, not the backends.
float uiDpiScale(void* window);

}  // namespace plat
