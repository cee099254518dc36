// Item hooks Dear ImGui calls when built with IMGUI_ENABLE_TEST_ENGINE. They forward to
// observers that the UI probe installs, so headless tests can find widgets by label.
#include "imgui.h"
#include "imgui_internal.h"
#include "imgui_hooks.h"

ImguiItemAddHook gImguiItemAddHook = nullptr;
ImguiItemInfoHook gImguiItemInfoHook = nullptr;

void ImGuiTestEngineHook_ItemAdd(ImGuiContext*, ImGuiID id, const ImRect& bb, const ImGuiLastItemData*) {
    if (gImguiItemAddHook) gImguiItemAddHook(id, bb.Min, bb.Max);
}

void ImGuiTestEngineHook_ItemInfo(ImGuiContext*, ImGuiID id, const char* label, ImGuiItemStatusFlags flags) {
    if (gImguiItemInfoHook) gImguiItemInfoHook(id, label, flags);
}

void ImGuiTestEngineHook_Log(ImGuiContext*, const char*, ...) {}

const char* ImGuiTestEngine_FindItemDebugLabel(ImGuiContext*, ImGuiID) { return nullptr; }
