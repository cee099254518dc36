#include "tests/ui/ui_harness.h"

#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/screens.h"

UiHarness::UiHarness(App& a, float width, float height) : app(a) {
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
    io.DisplaySize = ImVec2(width, height);
    app.width = static_cast<int32_t>(width);
    app.height = static_cast<int32_t>(height);
    loadFontsAndTheme(app);
    unsigned char* pixels = nullptr;
    int w = 0, h = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
    probeEnable(true);
    moveMouseAway();
}

UiHarness::~UiHarness() {
    probeEnable(false);
    ImGui::DestroyContext();
}

void UiHarness::moveMouseAway() { ImGui::GetIO().AddMousePosEvent(-10000, -10000); }

void UiHarness::frameOf(const std::function<void()>& body, double dt) {
    ImGuiIO& io = ImGui::GetIO();
    io.DeltaTime = static_cast<float>(dt > 0 ? dt : 1e-4);
    app.now += dt;
    probeBeginFrame();
    ImGui::NewFrame();
    body();
    ImGui::Render();
}

void UiHarness::frame(double dt) {
    frameOf([this] { drawUi(app); }, dt);
}

bool UiHarness::clickIn(const std::string& label, const std::function<void()>& body) {
    const ProbeItem* item = probeFindItem(label);
    if (!item) return false;
    ImVec2 centre((item->min.x + item->max.x) * 0.5f, (item->min.y + item->max.y) * 0.5f);
    ImGuiIO& io = ImGui::GetIO();
    io.AddMousePosEvent(centre.x, centre.y);
    frameOf(body);
    io.AddMouseButtonEvent(0, true);
    frameOf(body);
    io.AddMouseButtonEvent(0, false);
    frameOf(body);
    moveMouseAway();
    return true;
}

bool UiHarness::click(const std::string& label) {
    return clickIn(label, [this] { drawUi(app); });
}

bool UiHarness::typeInto(const std::string& label, const std::string& text) {
    const ProbeItem* item = probeFindItem(label);
    if (!item) return false;
    ImGuiIO& io = ImGui::GetIO();
    // Aim left of centre: an input with step buttons keeps its text box on the left.
    ImVec2 at(item->min.x + (item->max.x - item->min.x) * 0.25f, (item->min.y + item->max.y) * 0.5f);
    io.AddMousePosEvent(at.x, at.y);
    frame();
    io.AddMouseButtonEvent(0, true);
    frame();
    io.AddMouseButtonEvent(0, false);
    frame();
    io.AddKeyEvent(ImGuiMod_Ctrl, true);
    io.AddKeyEvent(ImGuiKey_A, true);
    frame();
    io.AddKeyEvent(ImGuiKey_A, false);
    io.AddKeyEvent(ImGuiMod_Ctrl, false);
    frame();
    io.AddInputCharactersUTF8(text.c_str());
    frame();
    pressKey(ImGuiKey_Enter);
    moveMouseAway();
    frame();
    return true;
}

bool UiHarness::hasText(const std::string& fragment) const { return probeHasText(fragment); }

void UiHarness::pressKey(ImGuiKey key) {
    ImGuiIO& io = ImGui::GetIO();
    io.AddKeyEvent(key, true);
    frame();
    io.AddKeyEvent(key, false);
    frame();
}
