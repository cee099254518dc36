#include "platform/ui_backend.h"

#include <SDL.h>

#include "imgui.h"
#include "imgui_impl_opengl3.h"
#include "imgui_kept_geometry.h"
#include "imgui_impl_sdl2.h"
#include "platform/linux/ui_events.h"

namespace plat {

namespace {
bool platformUp = false;
bool rendererUp = false;
}  // namespace

bool uiBackendInit(void* window) {
    if (!window || !ImGui::GetCurrentContext()) return false;
    platformUp = ImGui_ImplSDL2_InitForOpenGL(static_cast<SDL_Window*>(window), SDL_GL_GetCurrentContext());
    rendererUp = platformUp && ImGui_ImplOpenGL3_Init("#version 330");
    return platformUp && rendererUp;
}

void uiBackendNewFrame() {
    if (rendererUp) ImGui_ImplOpenGL3_NewFrame();
    if (platformUp) ImGui_ImplSDL2_NewFrame();
}

void uiBackendRenderDrawData() {
    if (rendererUp) ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
}

void uiBackendShutdown() {
    if (rendererUp) {
        releaseKeptUiGeometry();
        ImGui_ImplOpenGL3_Shutdown();
    }
    if (platformUp) ImGui_ImplSDL2_Shutdown();
    rendererUp = platformUp = false;
}

float uiDpiScale(void*) { return 1.0f; }

namespace detail {
void uiBackendProcessEvent(const SDL_Event& event) {
    if (platformUp) ImGui_ImplSDL2_ProcessEvent(&event);
}
}  // namespace detail

}  // namespace plat
