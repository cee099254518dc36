#include "ui/kit.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "core/catalog/sound.h"
#include "core/profile/app.h"
#include "platform/base/fonts.h"
#include "platform/base/paths.h"
#include "ui/probe.h"

float s = 1.0f;
float contentWidth = 1200.0f;

namespace {

// A copy of App's five fonts (see useFonts).
void* gFontBody = nullptr;
void* gFontSmall = nullptr;
void* gFontSemibold = nullptr;
void* gFontTitle = nullptr;
void* gFontHero = nullptr;

// Formats at most 1023 characters, as every text helper of the kit does.
std::string formatCut(const char* fmt, va_list args) __attribute__((format(printf, 1, 0)));
std::string formatCut(const char* fmt, va_list args) {
    char buf[1024];
    int n = std::vsnprintf(buf, sizeof buf, fmt, args);
    if (n < 0) return std::string();
    return std::string(buf, std::min<size_t>(static_cast<size_t>(n), sizeof buf - 1));
}

ImFont* asFont(void* handle) {
    if (handle) return static_cast<ImFont*>(handle);
    return ImGui::GetFont();
}

// Glyphs the screens use: Latin-1, punctuation (dashes, bullets, ellipsis), guillemets,
// arrows, approximately-equal, less-or-equal and greater-or-equal.
const ImWchar kGlyphRanges[] = {
    0x0020, 0x00FF, 0x2010, 0x2027, 0x2039, 0x203A, 0x2190, 0x2193, 0x2248, 0x2248, 0x2264, 0x2265, 0,
};

std::string faceFile(const std::string& file) {
    if (file == "seguisb.ttf") return plat::uiFontFile(plat::UiFace::Semibold);
    if (file == "segoeuib.ttf") return plat::uiFontFile(plat::UiFace::Bold);
    return plat::uiFontFile(plat::UiFace::Regular);
}

ImFont* defaultFontAt(float pixels) {
    ImFontConfig cfg;
    cfg.SizePixels = pixels;
    return ImGui::GetIO().Fonts->AddFontDefault(&cfg);
}

}  // namespace

void useFonts(const App& app) {
    gFontBody = app.fontBody;
    gFontSmall = app.fontSmall;
    gFontSemibold = app.fontSemibold;
    gFontTitle = app.fontTitle;
    gFontHero = app.fontHero;
}

ImFont* fontBody() { return asFont(gFontBody); }
ImFont* fontSmall() { return asFont(gFontSmall); }
ImFont* fontSemibold() { return asFont(gFontSemibold); }
ImFont* fontTitle() { return asFont(gFontTitle); }
ImFont* fontHero() { return asFont(gFontHero); }

ImFont* loadUiFont(const std::string& file, float size) {
    const float pixels = size * s;
    std::string path = faceFile(file);
    if (path.empty()) return defaultFontAt(pixels);
    ImFontAtlas* atlas = ImGui::GetIO().Fonts;
    ImFontConfig cfg;
    cfg.OversampleH = 2;
    cfg.OversampleV = 1;
    ImFont* font = atlas->AddFontFromFileTTF(path.c_str(), pixels, &cfg, kGlyphRanges);
    if (!font) return defaultFontAt(pixels);
    // The body face lacks the arrows and maths signs; take them from the symbols face.
    std::string symbols = plat::uiFontFile(plat::UiFace::Symbols);
    if (!symbols.empty()) {
        static const ImWchar kSymbolRanges[] = {0x2190, 0x2193, 0x2248, 0x2248, 0x2264, 0x2265, 0x2022, 0x2022, 0};
        ImFontConfig merge;
        merge.MergeMode = true;
        merge.OversampleH = 2;
        merge.OversampleV = 1;
        atlas->AddFontFromFileTTF(symbols.c_str(), pixels, &merge, kSymbolRanges);
    }
    return font;
}

void loadFontsAndTheme(App& app) {
    s = app.uiScale;
    ImGuiIO& io = ImGui::GetIO();
    app.fontBody = loadUiFont("segoeui.ttf", 18);
    app.fontSmall = loadUiFont("segoeui.ttf", 15);
    app.fontSemibold = loadUiFont("seguisb.ttf", 22);
    app.fontTitle = loadUiFont("segoeuib.ttf", 38);
    app.fontHero = loadUiFont("segoeuib.ttf", 68);
    useFonts(app);
    io.FontDefault = static_cast<ImFont*>(app.fontBody);

    ImGui::StyleColorsDark();
    ImGuiStyle& st = ImGui::GetStyle();
    st.WindowPadding = ImVec2(16, 16);
    st.WindowRounding = 12;
    st.WindowBorderSize = 0;
    st.ChildRounding = 12;
    st.ChildBorderSize = 0;
    st.PopupRounding = 8;
    st.FramePadding = ImVec2(12, 8);
    st.FrameRounding = 8;
    st.FrameBorderSize = 0;
    st.ItemSpacing = ImVec2(10, 9);
    st.CellPadding = ImVec2(8, 6);
    st.ScrollbarSize = 12;
    st.ScrollbarRounding = 8;
    st.GrabRounding = 8;
    st.TabRounding = 8;
    ImVec4* c = st.Colors;
    c[ImGuiCol_Text] = colText;
    c[ImGuiCol_TextDisabled] = colTextDim;
    c[ImGuiCol_WindowBg] = ImVec4(0.05f, 0.06f, 0.08f, 0.0f);
    c[ImGuiCol_PopupBg] = ImVec4(0.08f, 0.09f, 0.12f, 0.98f);
    c[ImGuiCol_FrameBg] = ImVec4(0.14f, 0.155f, 0.19f, 1);
    c[ImGuiCol_FrameBgHovered] = ImVec4(0.18f, 0.2f, 0.25f, 1);
    c[ImGuiCol_FrameBgActive] = ImVec4(0.2f, 0.23f, 0.29f, 1);
    c[ImGuiCol_ScrollbarBg] = ImVec4(0, 0, 0, 0);
    c[ImGuiCol_ScrollbarGrab] = ImVec4(1, 1, 1, 0.12f);
    c[ImGuiCol_CheckMark] = colAccent;
    c[ImGuiCol_SliderGrab] = colAccent;
    c[ImGuiCol_SliderGrabActive] = colAccentHover;
    c[ImGuiCol_Button] = ImVec4(0.16f, 0.18f, 0.23f, 1);
    c[ImGuiCol_ButtonHovered] = ImVec4(0.22f, 0.25f, 0.31f, 1);
    c[ImGuiCol_ButtonActive] = ImVec4(0.27f, 0.31f, 0.38f, 1);
    c[ImGuiCol_Header] = ImVec4(0.07f, 0.45f, 0.5f, 0.6f);
    c[ImGuiCol_HeaderHovered] = ImVec4(0.07f, 0.55f, 0.6f, 0.7f);
    c[ImGuiCol_HeaderActive] = ImVec4(0.07f, 0.65f, 0.7f, 0.8f);
    c[ImGuiCol_Separator] = ImVec4(1, 1, 1, 0.08f);
    c[ImGuiCol_TableHeaderBg] = ImVec4(0.12f, 0.135f, 0.17f, 1);
    c[ImGuiCol_TableBorderStrong] = ImVec4(1, 1, 1, 0.08f);
    c[ImGuiCol_TableBorderLight] = ImVec4(1, 1, 1, 0.05f);
    c[ImGuiCol_TableRowBg] = ImVec4(0, 0, 0, 0);
    c[ImGuiCol_TableRowBgAlt] = ImVec4(1, 1, 1, 0.03f);
    st.ScaleAllSizes(s);
}

// ---- Text ------------------------------------------------------------------

void textLine(const char* text) {
    ImGui::TextUnformatted(text);
    probeTextAt(text, ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
}

void coloredText(const ImVec4& colour, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string text = formatCut(fmt, args);
    va_end(args);
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    textLine(text.c_str());
    ImGui::PopStyleColor();
}

void dimText(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string text = formatCut(fmt, args);
    va_end(args);
    ImGui::PushStyleColor(ImGuiCol_Text, colTextDim);
    textLine(text.c_str());
    ImGui::PopStyleColor();
}

void bulletText(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string text = formatCut(fmt, args);
    va_end(args);
    ImGui::Bullet();
    ImGui::SameLine();
    textLine(text.c_str());
}

void wrappedText(const char* text) {
    ImGui::PushTextWrapPos(0.0f);
    textLine(text);
    ImGui::PopTextWrapPos();
}

void cellText(const std::string& text) {
    ImGui::TableNextColumn();
    textLine(text.c_str());
}

void drawWordmark(ImFont* font, const char* lead) {
    ImGui::PushFont(font);
    coloredText(colText, "%sTAR", lead);
    ImGui::SameLine(0, 0);
    coloredText(colAccent, "%s", "VION");
    ImGui::PopFont();
}

void drawListWordmark(ImDrawList* dl, ImFont* font, float size, ImVec2 pos) {
    drawListText(dl, font, size, pos, packColour(colText), "TAR");
    drawListText(dl, font, size, ImVec2(pos.x + textSize(font, size, "TAR").x, pos.y), packColour(colAccent), "VION");
}

void wrappedDim(const char* text) {
    ImGui::PushStyleColor(ImGuiCol_Text, colTextDim);
    wrappedText(text);
    ImGui::PopStyleColor();
}

void cardTitle(const char* text) {
    ImGui::PushFont(fontSemibold());
    coloredText(colText, "%s", text);
    ImGui::PopFont();
}

void smallLabel(const char* text) {
    ImGui::PushFont(fontSmall());
    dimText("%s", text);
    ImGui::PopFont();
}

void sectionHeading(const char* title, const char* subtitle) {
    ImGui::PushFont(fontTitle());
    coloredText(colText, "%s", title);
    ImGui::PopFont();
    if (subtitle) dimText("%s", subtitle);
    ImGui::Dummy(ImVec2(0, 10 * s));
}

void drawListText(ImDrawList* dl, ImFont* font, float size, ImVec2 pos, ImU32 colour, const char* text,
                  float wrapWidth) {
    if (probeEnabled()) {
        const ImVec2 ts = font->CalcTextSizeA(size, 1e9f, wrapWidth, text);
        probeTextAt(text, pos, ImVec2(pos.x + ts.x, pos.y + ts.y), dl);
    }
    dl->AddText(font, size, pos, colour, text, nullptr, wrapWidth);
}

ImVec2 textSize(ImFont* font, float size, const char* text) {
    return font->CalcTextSizeA(size, 1e9f, 0.0f, text);
}

// ---- Cards and buttons -----------------------------------------------------

bool beginCard(const char* id, ImVec2 size, const ImVec4& background) {
    ImGui::PushStyleColor(ImGuiCol_ChildBg, background);
    ImGui::PushStyleVar(ImGuiStyleVar_ChildRounding, 12 * s);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(20 * s, 16 * s));
    ImGuiChildFlags childFlags = ImGuiChildFlags_AlwaysUseWindowPadding;
    if (size.y == 0) childFlags |= ImGuiChildFlags_AutoResizeY;
    return ImGui::BeginChild(id, size, childFlags, ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NavFlattened);
}

void endCard() {
    ImVec2 min = ImGui::GetWindowPos();
    ImVec2 max(min.x + ImGui::GetWindowSize().x, min.y + ImGui::GetWindowSize().y);
    ImGui::EndChild();
    ImGui::PopStyleVar(2);
    ImGui::PopStyleColor();
    ImDrawList* dl = ImGui::GetWindowDrawList();
    dl->AddRect(min, max, IM_COL32(255, 255, 255, 16), 12 * s, 0, 1.0f);
    const float left = min.x + 14 * s, right = max.x - 14 * s, mid = (min.x + max.x) * 0.5f;
    if (right > left) {
        const ImU32 clear = withAlpha(colAccent, 0.0f), strong = withAlpha(colAccent, 0.55f);
        const float y0 = min.y, y1 = min.y + 1.5f * s;
        dl->AddRectFilledMultiColor(ImVec2(left, y0), ImVec2(mid, y1), clear, strong, strong, clear);
        dl->AddRectFilledMultiColor(ImVec2(mid, y0), ImVec2(right, y1), strong, clear, clear, strong);
    }
}

bool primaryButton(const char* label, ImVec2 size) {
    ImGui::PushFont(fontSemibold());
    ImGui::PushStyleColor(ImGuiCol_Button, colAccent);
    ImGui::PushStyleColor(ImGuiCol_ButtonHovered, colAccentHover);
    ImGui::PushStyleColor(ImGuiCol_ButtonActive, ImVec4(0.05f, 0.65f, 0.72f, 1));
    ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0.02f, 0.06f, 0.08f, 1));
    bool pressed = ImGui::Button(label, size);
    ImGui::PopStyleColor(4);
    ImGui::PopFont();
    if (pressed) playSound(SoundClick, 1.0f);
    return pressed;
}

bool plainButton(const char* label, ImVec2 size) {
    bool pressed = ImGui::Button(label, size);
    if (pressed) playSound(SoundClick, 1.0f);
    return pressed;
}

bool smallButton(const char* label) {
    const bool pressed = ImGui::SmallButton(label);
    if (pressed) playSound(SoundClick, 1.0f);
    return pressed;
}

void verticalGap(float gap) { ImGui::SetCursorPosY(ImGui::GetCursorPosY() - ImGui::GetStyle().ItemSpacing.y + gap); }

int actionCard(const char* id, const ImVec4& background, const ImVec4& titleColour, const char* title,
               const char* subtitle, const std::vector<const char*>& labels) {
    int pressed = -1;
    beginCard(id, ImVec2(contentWidth, 0), background);
    float rowWidth = 0;
    std::vector<float> widths;
    for (size_t i = 0; i < labels.size(); ++i) {
        float w = i == 0 ? std::max(170 * s, textSize(fontSemibold(), fontSemibold()->FontSize, labels[i]).x + 40 * s)
                         : std::max(110 * s, textSize(fontBody(), fontBody()->FontSize, labels[i]).x + 40 * s);
        widths.push_back(w);
        rowWidth += w;
    }
    if (!labels.empty()) rowWidth += 10 * s * static_cast<float>(labels.size() - 1);
    const float avail = ImGui::GetContentRegionAvail().x;
    const float top = ImGui::GetCursorPosY();
    ImGui::BeginGroup();
    if (!labels.empty()) ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + std::max(1.0f, avail - rowWidth - 24 * s));
    ImGui::PushFont(fontSemibold());
    coloredText(titleColour, "%s", title);
    ImGui::PopFont();
    if (subtitle && subtitle[0]) dimText("%s", subtitle);
    if (!labels.empty()) ImGui::PopTextWrapPos();
    ImGui::EndGroup();
    if (!labels.empty()) {
        const float columnHeight = ImGui::GetItemRectSize().y;
        ImGui::SameLine(avail - rowWidth + ImGui::GetStyle().WindowPadding.x);
        const float buttonY = top + std::max(0.0f, (columnHeight - 42 * s) / 2);
        for (size_t i = 0; i < labels.size(); ++i) {
            // Every button at the same height: SameLine alone would put the later ones back
            // on the line's top.
            if (i > 0) ImGui::SameLine(0, 10 * s);
            ImGui::SetCursorPosY(buttonY);
            bool hit = i == 0 ? primaryButton(labels[i], ImVec2(widths[i], 42 * s))
                              : plainButton(labels[i], ImVec2(widths[i], 42 * s));
            if (hit) pressed = static_cast<int>(i);
        }
    }
    endCard();
    ImGui::Dummy(ImVec2(0, 4 * s));
    return pressed;
}

namespace {
void pushToggleStyle(const ImVec4& frame) {
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(4 * s, 4 * s));
    ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, s);
    ImGui::PushStyleColor(ImGuiCol_Border, ImVec4(1, 1, 1, 0.28f));
    ImGui::PushStyleColor(ImGuiCol_FrameBg, frame);
}
void popToggleStyle() {
    ImGui::PopStyleColor(2);
    ImGui::PopStyleVar(2);
}
}  // namespace

bool styledRadioButton(const char* label, bool active) {
    pushToggleStyle(ImVec4(0.1f, 0.11f, 0.14f, 1));
    bool pressed = ImGui::RadioButton(label, active);
    popToggleStyle();
    if (pressed) playSound(SoundClick, 1.0f);
    return pressed;
}

bool styledCheckbox(const char* label, bool& value) {
    // The frame colour follows the value the box had when the frame began.
    pushToggleStyle(value ? ImVec4(0.07f, 0.3f, 0.34f, 1) : ImVec4(0.1f, 0.11f, 0.14f, 1));
    bool changed = ImGui::Checkbox(label, &value);
    popToggleStyle();
    if (changed) playSound(SoundClick, 1.0f);
    return changed;
}

// ---- Tiles -----------------------------------------------------------------

namespace {
bool tileButton(const char* id, ImVec2 size, const char* title, ImVec2* min, ImVec2* max, bool* hovered) {
    ImGui::PushID(id);
    bool pressed = ImGui::InvisibleButton("##tile", size);
    probeButton(title, ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
    *hovered = ImGui::IsItemHovered();
    *min = ImGui::GetItemRectMin();
    *max = ImGui::GetItemRectMax();
    ImGui::PopID();
    if (pressed) playSound(SoundClick, 1.0f);
    return pressed;
}

void tileSubtitle(ImDrawList* dl, ImVec2 min, ImVec2 max, float titleBottom, const char* subtitle) {
    if (!subtitle || !subtitle[0]) return;
    ImFont* f = fontSmall();
    drawListText(dl, f, f->FontSize, ImVec2(min.x + 16 * s, titleBottom + 4 * s), packColour(colTextDim), subtitle,
                 (max.x - min.x) - 32 * s);
}
}  // namespace

bool textTile(const char* id, const char* title, const char* subtitle, bool selected, ImVec2 size) {
    ImVec2 min, max;
    bool hovered = false;
    bool pressed = tileButton(id, size, title, &min, &max, &hovered);
    ImDrawList* dl = ImGui::GetWindowDrawList();
    ImU32 fill, border, titleColour;
    float thickness = 1;
    if (selected) {
        fill = packColour(colTileSelected);
        border = packColour(colAccent);
        thickness = 2;
        titleColour = packColour(colAccent);
    } else {
        fill = packColour(hovered ? colTileHover : colCard);
        border = IM_COL32(255, 255, 255, hovered ? 46 : 18);
        titleColour = packColour(colText);
    }
    dl->AddRectFilled(min, max, fill, 10 * s);
    dl->AddRect(min, max, border, 10 * s, 0, thickness);
    ImFont* f = fontSemibold();
    ImVec2 titlePos(min.x + 16 * s, min.y + 12 * s);
    drawListText(dl, f, f->FontSize, titlePos, titleColour, title);
    tileSubtitle(dl, min, max, titlePos.y + f->FontSize, subtitle);
    return pressed;
}

bool iconTile(const char* id, int icon, const char* title, const char* subtitle, ImVec2 size) {
    ImVec2 min, max;
    bool hovered = false;
    bool pressed = tileButton(id, size, title, &min, &max, &hovered);
    ImDrawList* dl = ImGui::GetWindowDrawList();
    dl->AddRectFilled(min, max, packColour(hovered ? colTileHover : colCard), 12 * s);
    dl->AddRect(min, max, hovered ? withAlpha(colAccent, 0.7f) : IM_COL32(255, 255, 255, 18), 12 * s, 0, 1.0f);
    ImVec2 disc(min.x + 35 * s, min.y + 35 * s);
    dl->AddCircleFilled(disc, 19 * s, withAlpha(colAccent, hovered ? 0.28f : 0.16f), 32);
    drawIcon(icon, disc, 9.5f * s, packColour(colAccent), dl);
    ImFont* f = fontSemibold();
    ImVec2 titlePos(min.x + 16 * s, min.y + 64 * s);
    drawListText(dl, f, f->FontSize, titlePos, packColour(colText), title);
    tileSubtitle(dl, min, max, titlePos.y + f->FontSize, subtitle);
    return pressed;
}

float iconTileHeight(const char* subtitle, float width) {
    float bottom = 64 * s + fontSemibold()->FontSize;
    if (subtitle && subtitle[0]) {
        ImFont* f = fontSmall();
        bottom += 4 * s + f->CalcTextSizeA(f->FontSize, 1e9f, width - 32 * s, subtitle).y;
    }
    return bottom + 16 * s;
}

// ---- Decorations -----------------------------------------------------------

void drawPillLabel(ImDrawList* dl, ImVec2 centre, const char* text, ImFont* font, ImU32 background, ImU32 textColour) {
    ImVec2 ts = textSize(font, font->FontSize, text);
    ImVec2 pad(14 * s, 6 * s);
    dl->AddRectFilled(ImVec2(centre.x - ts.x / 2 - pad.x, centre.y - ts.y / 2 - pad.y),
                      ImVec2(centre.x + ts.x / 2 + pad.x, centre.y + ts.y / 2 + pad.y), background, 999.0f);
    drawListText(dl, font, font->FontSize, ImVec2(centre.x - ts.x / 2, centre.y - ts.y / 2), textColour, text);
}

void drawShadowText(ImDrawList* dl, ImFont* font, ImVec2 centre, ImU32 colour, const char* text) {
    ImVec2 ts = textSize(font, font->FontSize, text);
    ImVec2 pos(centre.x - ts.x / 2, centre.y - ts.y / 2);
    dl->AddText(font, font->FontSize, ImVec2(pos.x + 2, pos.y + 2), IM_COL32(0, 0, 0, 160), text);
    drawListText(dl, font, font->FontSize, pos, colour, text);
}

void drawRingDot(ImDrawList* dl, ImVec2 centre, float radius, ImU32 colour) {
    dl->AddCircleFilled(centre, radius, colour | IM_COL32_A_MASK, 32);
    dl->AddCircle(centre, radius, IM_COL32(255, 255, 255, 50), 32, 1.0f);
}

void drawGlowDot(ImDrawList* dl, ImVec2 centre, float radius, const ImVec4& colour, bool bright) {
    static const float kHalo[6] = {18, 15, 12, 9, 6, 3};
    for (float extra : kHalo) dl->AddCircleFilled(centre, radius + extra, withAlpha(colour, bright ? 0.05f : 0.02f), 32);
    dl->AddCircleFilled(centre, radius, withAlpha(colour, 1.0f), 32);
    dl->AddCircleFilled(ImVec2(centre.x - 0.3f * radius, centre.y - 0.35f * radius), 0.32f * radius,
                        IM_COL32(255, 255, 255, bright ? 150 : 90), 24);
}

void drawPillBadge(const char* text, const ImVec4& textColour) {
    ImDrawList* dl = ImGui::GetWindowDrawList();
    ImVec2 p = ImGui::GetCursorScreenPos();
    ImFont* f = ImGui::GetFont();
    ImVec2 ts = textSize(f, ImGui::GetFontSize(), text);
    ImVec2 box(ts.x + 22 * s, ts.y + 10 * s);
    dl->AddRectFilled(p, ImVec2(p.x + box.x, p.y + box.y), IM_COL32(255, 255, 255, 14), 999.0f);
    dl->AddRect(p, ImVec2(p.x + box.x, p.y + box.y), IM_COL32(255, 255, 255, 30), 999.0f, 0, 1.0f);
    drawListText(dl, f, ImGui::GetFontSize(), ImVec2(p.x + 11 * s, p.y + 5 * s), packColour(textColour), text);
    ImGui::Dummy(box);
}

void drawIcon(int kind, ImVec2 c, float r, ImU32 colour, ImDrawList* dl) {
    if (!dl) dl = ImGui::GetWindowDrawList();
    const float t = std::max(1.5f, 2.2f * s);
    auto P = [&](float x, float y) { return ImVec2(c.x + x * r, c.y + y * r); };
    switch (kind) {
        case IconCheck: {
            dl->AddCircle(c, r, colour, 32, t);
            ImVec2 pts[3] = {P(-0.45f, 0.02f), P(-0.12f, 0.36f), P(0.48f, -0.32f)};
            dl->AddPolyline(pts, 3, colour, 0, t);
            break;
        }
        case IconCrosshair:
            dl->AddCircle(c, 0.78f * r, colour, 32, t);
            dl->AddLine(P(-0.3f, 0), P(-1, 0), colour, t);
            dl->AddLine(P(0.3f, 0), P(1, 0), colour, t);
            dl->AddLine(P(0, -0.3f), P(0, -1), colour, t);
            dl->AddLine(P(0, 0.3f), P(0, 1), colour, t);
            dl->AddCircleFilled(c, 0.12f * r + 1, colour, 32);
            break;
        case IconPistol:
            dl->AddRectFilled(P(-0.95f, -0.5f), P(0.85f, -0.08f), colour, 0.08f * r);
            dl->AddQuadFilled(P(0.18f, -0.1f), P(0.72f, -0.1f), P(0.58f, 0.8f), P(0.08f, 0.8f), colour);
            dl->AddCircle(P(-0.02f, 0.1f), 0.2f * r, colour, 12, 0.7f * t);
            break;
        case IconTarget:
            dl->AddCircle(c, r, colour, 32, t);
            dl->AddCircle(c, 0.6f * r, colour, 32, t);
            dl->AddCircleFilled(c, 0.24f * r, colour, 32);
            break;
        case IconBarChart: {
            const float lefts[3] = {-0.9f, -0.24f, 0.42f};
            const float heights[3] = {0.7f, 1.35f, 1.0f};
            for (int i = 0; i < 3; ++i)
                dl->AddRectFilled(P(lefts[i], 0.85f - heights[i]), P(lefts[i] + 0.38f, 0.85f), colour, 0.06f * r);
            break;
        }
        case IconSliders: {
            const float ys[3] = {-0.6f, 0, 0.6f};
            const float knobs[3] = {-0.35f, 0.45f, -0.6f};
            for (int i = 0; i < 3; ++i) {
                dl->AddLine(P(-1, ys[i]), P(1, ys[i]), colour, t);
                dl->AddCircleFilled(P(knobs[i], ys[i]), 0.24f * r, colour, 32);
            }
            break;
        }
        case IconRuler:
            dl->AddRect(P(-1, -0.42f), P(1, 0.42f), colour, 0.1f * r, 0, t);
            for (int k = 1; k <= 5; ++k) {
                float x = -1 + k / 3.0f;
                dl->AddLine(P(x, -0.42f), P(x, k % 2 ? -0.05f : -0.2f), colour, 0.8f * t);
            }
            break;
        case IconSwap:
            dl->AddLine(P(-1, -0.4f), P(0.85f, -0.4f), colour, t);
            dl->AddTriangleFilled(P(1, -0.4f), P(0.55f, -0.75f), P(0.55f, -0.05f), colour);
            dl->AddLine(P(-0.85f, 0.4f), P(1, 0.4f), colour, t);
            dl->AddTriangleFilled(P(-1, 0.4f), P(-0.55f, 0.75f), P(-0.55f, 0.05f), colour);
            break;
        case IconReplay: {
            dl->PathArcTo(c, 0.85f * r, 0.6f, 5.6f, 32);
            dl->PathStroke(colour, 0, t);
            ImVec2 e(c.x + 0.85f * r * std::cos(0.6f), c.y + 0.85f * r * std::sin(0.6f));
            dl->AddTriangleFilled(ImVec2(e.x + 0.35f * r, e.y - 0.1f * r), ImVec2(e.x - 0.35f * r, e.y - 0.1f * r),
                                  ImVec2(e.x, e.y + 0.35f * r), colour);
            break;
        }
        default:
            break;
    }
}
