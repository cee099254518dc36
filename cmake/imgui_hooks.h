#pragma once
#include "imgui.h"

// Observers of every item Dear ImGui lays out (rectangle) and labels (text and status).
using ImguiItemAddHook = void (*)(ImGuiID id, ImVec2 min, ImVec2 max);
using ImguiItemInfoHook = void (*)(ImGuiID id, const char* label, int flags);
extern ImguiItemAddHook gImguiItemAddHook;
extern ImguiItemInfoHook gImguiItemInfoHook;
