#pragma once
// A recorder of what the UI showed in a frame: every text and every labelled widget with its
// rectangle. Off unless a test turns it on; headless tests use it to find and press buttons.
#include <string>
#include <vector>

#include "imgui.h"

// Where a record was drawn: the window it belongs to and the clip rectangle in force.
struct ProbeArea {
    std::string window;  // the window's name ("parent/child_XXXXXXXX" for a child region)
    ImVec2 windowMin;
    ImVec2 windowMax;
    ImVec2 padding;  // the window's padding: its content keeps this far from the edges
    ImVec2 clipMin;
    ImVec2 clipMax;
    bool scrolls = false;  // the window scrolls: what lies below its bottom is reached by scrolling
};

struct ProbeItem {
    std::string label;     // without any "##" suffix
    std::string fullLabel;  // as the widget was given it, e.g. "##dpi"
    ImVec2 min;
    ImVec2 max;
    ImGuiID id = 0;
    ProbeArea area;
};

struct ProbeText {
    std::string text;
    ImVec2 min;
    ImVec2 max;
    ProbeArea area;
};

void probeEnable(bool on);
bool probeEnabled();
// Forgets the previous frame's records; call before each UI frame.
void probeBeginFrame();

// A text without a place (a caption the test looks for by its words only).
void probeText(const char* text);
// A text drawn at this rectangle, into the current window or onto the draw list `dl`.
void probeTextAt(const char* text, ImVec2 min, ImVec2 max, ImDrawList* dl = nullptr);
void probeButton(const char* label, ImVec2 min, ImVec2 max);

const std::vector<std::string>& probeTexts();
// The texts that were drawn at a known place, in drawing order.
const std::vector<ProbeText>& probePlacedTexts();
const std::vector<ProbeItem>& probeItems();
// The first item whose visible or full label is exactly this; null when none was drawn.
const ProbeItem* probeFindItem(const std::string& label);
// The first placed text that is exactly this; null when none was drawn.
const ProbeText* probeFindText(const std::string& text);
// True when some text of the frame contains this.
bool probeHasText(const std::string& fragment);
// True when some text of the frame is exactly this.
bool probeShowsExactly(const std::string& text);
// Position of the first text of the frame that equals `text`; -1 when none does.
int probeTextIndex(const std::string& text);
