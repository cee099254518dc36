#include "ui/probe.h"

#include "imgui_hooks.h"
#include "imgui_internal.h"

namespace {

struct Probe {
    bool on = false;
    std::vector<std::string> texts;
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

// Every labelled Dear ImGui widget reports here right after it was laid out.
void onItemInfo(ImGuiID id, const char* label, int) {
    Probe& p = probe();
    if (!p.on || !label) return;
    ImGuiContext* g = ImGui::GetCurrentContext();
    if (!label[0]) return;
    p.items.push_back({visibleLabel(label), label, g->LastItemData.Rect.Min, g->LastItemData.Rect.Max, id});
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
    p.items.clear();
    if (ImGuiContext* g = ImGui::GetCurrentContext()) g->TestEngineHookItems = p.on;
}

void probeText(const char* text) {
    Probe& p = probe();
    if (p.on && text) p.texts.emplace_back(text);
}

void probeButton(const char* label, ImVec2 min, ImVec2 max) {
    Probe& p = probe();
    if (p.on && label) p.items.push_back({visibleLabel(label), label, min, max, ImGui::GetItemID()});
}

const std::vector<std::string>& probeTexts() { return probe().texts; }
const std::vector<ProbeItem>& probeItems() { return probe().items; }

const ProbeItem* probeFindItem(const std::string& label) {
    for (const ProbeItem& item : probe().items)
        if (item.label == label || item.fullLabel == label) return &item;
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
