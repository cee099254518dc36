#include "ui/probe.h"

#include "imgui_hooks.h"
#include "imgui_internal.h"

namespace {

struct Probe {
    bool on = false;
    std::vector<std::string> texts;
    std::vector<ProbeText> placed;
    std::vector<ProbeItem> items;
};

Probe& probe() {
    static Probe p;
    return p;
}

std::string visibleLabel(const char* label) {
    std::string text = label ? label : "";
    size_t cut = text.find("##");
    return cut == std::string::npos ? text : text.substr(0, cut);
}

// The current window and its clip rectangle; a draw list of no window (the foreground or
// background list) gives its own clip rectangle and no window.
ProbeArea currentArea(ImDrawList* dl = nullptr) {
    ProbeArea area;
    ImGuiWindow* window = ImGui::GetCurrentContext()->CurrentWindow;
    if (window && (!dl || dl == window->DrawList)) {
        area.window = window->Name;
        area.windowMin = window->Pos;
        area.windowMax = ImVec2(window->Pos.x + window->Size.x, window->Pos.y + window->Size.y);
        area.padding = window->WindowPadding;
        area.clipMin = window->ClipRect.Min;
        area.clipMax = window->ClipRect.Max;
        area.scrolls = !(window->Flags & ImGuiWindowFlags_NoScrollbar);
    } else if (dl) {
        area.clipMin = dl->GetClipRectMin();
        area.clipMax = dl->GetClipRectMax();
        area.windowMin = area.clipMin;
        area.windowMax = area.clipMax;
    }
    return area;
}

// Every labelled Dear ImGui widget reports here right after it was laid out.
void onItemInfo(ImGuiID id, const char* label, int) {
    Probe& p = probe();
    if (!p.on || !label) return;
    ImGuiContext* g = ImGui::GetCurrentContext();
    if (!label[0]) return;
    p.items.push_back(
        {visibleLabel(label), label, g->LastItemData.Rect.Min, g->LastItemData.Rect.Max, id, currentArea()});
}

}  // namespace

void probeEnable(bool on) {
    probe().on = on;
    gImguiItemInfoHook = on ? &onItemInfo : nullptr;
    if (ImGuiContext* g = ImGui::GetCurrentContext()) g->TestEngineHookItems = on;
}

bool probeEnabled() { return probe().on; }

void probeBeginFrame() {
    Probe& p = probe();
    p.texts.clear();
    p.placed.clear();
    p.items.clear();
    if (ImGuiContext* g = ImGui::GetCurrentContext()) g->TestEngineHookItems = p.on;
}

void probeText(const char* text) {
    Probe& p = probe();
    if (p.on && text) p.texts.emplace_back(text);
}

void probeTextAt(const char* text, ImVec2 min, ImVec2 max, ImDrawList* dl) {
    Probe& p = probe();
    if (!p.on || !text) return;
    p.texts.emplace_back(text);
    // A window that skips its items (scrolled away, collapsed) lays nothing out: no place.
    ImGuiWindow* window = ImGui::GetCurrentContext()->CurrentWindow;
    if (!dl && window && window->SkipItems) return;
    p.placed.push_back({text, min, max, currentArea(dl)});
}

void probeButton(const char* label, ImVec2 min, ImVec2 max) {
    Probe& p = probe();
    if (p.on && label) p.items.push_back({visibleLabel(label), label, min, max, ImGui::GetItemID(), currentArea()});
}

const std::vector<std::string>& probeTexts() { return probe().texts; }
const std::vector<ProbeText>& probePlacedTexts() { return probe().placed; }
const std::vector<ProbeItem>& probeItems() { return probe().items; }

const ProbeItem* probeFindItem(const std::string& label) {
    for (const ProbeItem& item : probe().items)
        if (item.label == label || item.fullLabel == label) return &item;
    return nullptr;
}

const ProbeText* probeFindText(const std::string& text) {
    for (const ProbeText& t : probe().placed)
        if (t.text == text) return &t;
    return nullptr;
}

bool probeHasText(const std::string& fragment) {
    for (const std::string& t : probe().texts)
        if (t.find(fragment) != std::string::npos) return true;
    for (const ProbeItem& item : probe().items)
        if (item.label.find(fragment) != std::string::npos) return true;
    return false;
}

bool probeShowsExactly(const std::string& text) { return probeTextIndex(text) >= 0; }

int probeTextIndex(const std::string& text) {
    const std::vector<std::string>& texts = probe().texts;
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == text) return static_cast<int>(i);
    return -1;
}
