#pragma once
// Runs the UI headless: a Dear ImGui context with no renderer backend, frames driven by the
// test, the probe on, and clicks delivered as real mouse events over two frames.
#include <functional>
#include <string>

#include "core/profile/app.h"
#include "imgui.h"

class UiHarness {
public:
    explicit UiHarness(App& app, float width = 1600, float height = 900);
    ~UiHarness();
    UiHarness(const UiHarness&) = delete;
    UiHarness& operator=(const UiHarness&) = delete;

    // One UI frame of drawUi (or of the given function), advancing the App clock by dt.
    void frame(double dt = 1.0 / 60.0);
    void frameOf(const std::function<void()>& body, double dt = 1.0 / 60.0);
    // Finds a widget drawn last frame by its label and presses it (two frames); false when
    // no such widget was drawn.
    bool click(const std::string& label);
    bool clickIn(const std::string& label, const std::function<void()>& body);
    bool hasText(const std::string& fragment) const;
    // Clicks a text field (its text is selected on activation), types and presses Enter.
    bool typeInto(const std::string& label, const std::string& text);
    void pressKey(ImGuiKey key);

    App& app;

private:
    void moveMouseAway();
};
