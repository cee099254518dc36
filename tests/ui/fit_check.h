#pragma once
// What of the last UI frame does not fit: texts and widgets cut by the side of their window
// (or of the table cell they sit in), or running past the bottom of a window that cannot
// scroll. A window's padding counts as its edge: content that reaches into it touches the
// card's border.
#include <algorithm>
#include <string>
#include <vector>

#include "core/catalog/format.h"
#include "ui/probe.h"

namespace fit_check {

inline constexpr float kSlack = 1.0f;  // a pixel of rounding

inline bool fitsArea(ImVec2 min, ImVec2 max, const ProbeArea& a) {
    const float left = std::max(a.clipMin.x, a.windowMin.x + a.padding.x) - kSlack;
    const float right = std::min(a.clipMax.x, a.windowMax.x - a.padding.x) + kSlack;
    if (min.x < left || max.x > right) return false;
    if (a.scrolls) return true;
    return min.y >= a.windowMin.y + a.padding.y - kSlack && max.y <= a.windowMax.y - a.padding.y + kSlack;
}

inline std::string describe(const char* kind, const std::string& what, ImVec2 min, ImVec2 max, const ProbeArea& a) {
    return formatString("%s \"%s\" (%.0f,%.0f)-(%.0f,%.0f) outside %s (%.0f,%.0f)-(%.0f,%.0f) pad %.0f,%.0f clip "
                        "(%.0f,%.0f)-(%.0f,%.0f)",
                        kind, what.c_str(), min.x, min.y, max.x, max.y, a.window.c_str(), a.windowMin.x,
                        a.windowMin.y, a.windowMax.x, a.windowMax.y, a.padding.x, a.padding.y, a.clipMin.x,
                        a.clipMin.y, a.clipMax.x, a.clipMax.y);
}

inline bool overlaps(ImVec2 aMin, ImVec2 aMax, ImVec2 bMin, ImVec2 bMax) {
    return aMin.x < bMax.x - kSlack && bMin.x < aMax.x - kSlack && aMin.y < bMax.y - kSlack && bMin.y < aMax.y - kSlack;
}
inline bool inside(ImVec2 min, ImVec2 max, ImVec2 outerMin, ImVec2 outerMax) {
    return min.x >= outerMin.x - kSlack && min.y >= outerMin.y - kSlack && max.x <= outerMax.x + kSlack &&
           max.y <= outerMax.y + kSlack;
}

// Every misfit of the last frame; only those in windows whose name contains `window` when given.
// A text that reaches onto a widget of its window lies wholly on it (a tile's own words), or
// it runs out of that tile or over a button.
inline std::vector<std::string> misfits(const std::string& window = "") {
    std::vector<std::string> out;
    for (const ProbeText& t : probePlacedTexts()) {
        if (!window.empty() && t.area.window.find(window) == std::string::npos) continue;
        if (t.text.empty()) continue;
        if (!fitsArea(t.min, t.max, t.area)) out.push_back(describe("text", t.text, t.min, t.max, t.area));
        for (const ProbeItem& i : probeItems()) {
            if (i.area.window != t.area.window || i.fullLabel == i.area.window) continue;
            if (overlaps(t.min, t.max, i.min, i.max) && !inside(t.min, t.max, i.min, i.max))
                out.push_back(describe("text", t.text, t.min, t.max, t.area) + " runs onto \"" + i.fullLabel + "\"");
        }
    }
    for (const ProbeItem& i : probeItems()) {
        if (!window.empty() && i.area.window.find(window) == std::string::npos) continue;
        if (i.fullLabel == i.area.window) continue;  // a window's own record, made as it begins
        if (!fitsArea(i.min, i.max, i.area)) out.push_back(describe("item", i.fullLabel, i.min, i.max, i.area));
    }
    return out;
}

}  // namespace fit_check
