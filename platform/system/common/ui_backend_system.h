#pragma once
// The system's half of the UI backend: Dear ImGui's platform backend for this system's
// window (SDL2 on Linux, Win32 on Windows). The OpenGL3 half is common to both.

namespace plat {

bool uiSystemBackendInit(void* window);
void uiSystemBackendNewFrame();
void uiSystemBackendShutdown();

}  // namespace plat
