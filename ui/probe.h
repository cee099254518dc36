#pragma once
// A recorder of what the UI showed in a frame: every text and every labelled widget with its
// rectangle. Off unless a test turns it on; headless tests use it to find and press buttons.
#include <string>
#include <vector>

#include "imgui.h"

struct ProbeItem {
    std::string label;     // without any "##" suffix
    std::string fullLabel;  // as the widget was given it, e.g. "##dpi"
    ImVec2 min;
    ImVec2 max;
    ImGuiID id = 0;
};

void probeEnable(bool on);
bool probeEnabled();
// Forgets the previous frame's records; call before each UI frame.
void probeBeginFrame();

void probeText(const char* text);
void probeButton(const char* label, ImVec2 min, ImVec2 max);

const std::vector<std::string>& probeTexts();
const std::vector<ProbeItem>& probeItems();
// The first item whose visible or full label is exactly this; null when none was drawn.
const ProbeItem* probeFindItem(const std::string& label);
// True when some text of the frame contains this.
bool probeHasText(const std::string& fragment);
// True when some text of the frame is exactly this.
bool probeShowsExactly(const std::string& text);
// Position of the first text of the frame that equals `text`; -1 when none does.
int probeTextIndex(const std::string& text);
