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
// The window's display scale for the UI (1.0: no scaling unless asked).
float uiDpiScale(void* window);

}  // namespace plat
