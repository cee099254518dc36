#pragma once
// The UI kit: fonts, theme, text helpers, cards, buttons, tiles, decorations and icons that
// every screen is built from. Main thread only, inside a UI frame.
#include <string>
#include <vector>

#include "imgui.h"

struct App;

// Theme palette.
inline constexpr ImVec4 colAccent{0.07f, 0.8f, 0.86f, 1.0f};
inline constexpr ImVec4 colText{0.93f, 0.95f, 0.98f, 1.0f};
inline constexpr ImVec4 colTextDim{0.6f, 0.66f, 0.74f, 1.0f};
inline constexpr ImVec4 colGood{0.35f, 0.88f, 0.55f, 1.0f};
inline constexpr ImVec4 colWarn{1.0f, 0.72f, 0.3f, 1.0f};
inline constexpr ImVec4 colCard{0.085f, 0.095f, 0.125f, 0.94f};
// Shades the kit and several screens share.
inline constexpr ImVec4 colAccentHover{0.25f, 0.9f, 0.95f, 1.0f};     // accent under the pointer
inline constexpr ImVec4 colTileHover{0.11f, 0.125f, 0.16f, 0.96f};    // a card-coloured tile under the pointer
inline constexpr ImVec4 colTileSelected{0.07f, 0.3f, 0.34f, 0.95f};   // a selected tile
inline constexpr ImVec4 colHighlightCard{0.06f, 0.2f, 0.24f, 0.94f};  // the card with a screen's main figure
inline constexpr ImVec4 colInviteCard{0.05f, 0.19f, 0.23f, 0.94f};    // a card inviting to the next step
inline constexpr ImVec4 colGoodCard{0.07f, 0.16f, 0.12f, 0.94f};      // a card with good news
inline constexpr ImVec4 colChartBg{0.05f, 0.06f, 0.08f, 0.9f};        // behind a chart

// The UI scale every size is multiplied by (a copy of App.uiScale), and the width of the
// central content column (set by the root frame each frame it draws).
extern float s;
extern float contentWidth;

// The five fonts the kit draws with are a copy of App's, taken by loadFontsAndTheme and by
// the root frame each frame (as s is); until then the library's current font stands in.
void useFonts(const App& app);
ImFont* fontBody();
ImFont* fontSmall();
ImFont* fontSemibold();
ImFont* fontTitle();
ImFont* fontHero();

// Fonts and style, once, after the UI context exists.
void loadFontsAndTheme(App& app);
// A font of the given size (scaled by s); the library's font at that size when the file is
// missing or cannot be read.
ImFont* loadUiFont(const std::string& file, float size);

// Text. The formatted helpers cut their text at 1023 characters.
void textLine(const char* text);
void coloredText(const ImVec4& colour, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void dimText(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void bulletText(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void wrappedText(const char* text);
// The next cell of the current table, holding the text.
void cellText(const std::string& text);
// The TARVION word mark in a font, after `lead` ("" for none) in colText.
void drawWordmark(ImFont* font, const char* lead = "");
// The same on a draw list, its top-left corner at `pos`.
void drawListWordmark(ImDrawList* dl, ImFont* font, float size, ImVec2 pos);
// Wrapped at the window's edge in colTextDim.
void wrappedDim(const char* text);
// A card's title: semibold, colText.
void cardTitle(const char* text);
// A small dim label (small font, colTextDim), as over a figure or a group of settings.
void smallLabel(const char* text);
void sectionHeading(const char* title, const char* subtitle);
// Text on a draw list (recorded by the probe like any other text).
void drawListText(ImDrawList* dl, ImFont* font, float size, ImVec2 pos, ImU32 colour, const char* text,
                  float wrapWidth = 0.0f);
ImVec2 textSize(ImFont* font, float size, const char* text);

// Cards and buttons.
bool beginCard(const char* id, ImVec2 size, const ImVec4& background);
void endCard();
bool primaryButton(const char* label, ImVec2 size = ImVec2(0, 0));
// An ordinary button that plays the click sound when pressed.
bool plainButton(const char* label, ImVec2 size = ImVec2(0, 0));
// The library's small button (as in a table row), with the click sound.
bool smallButton(const char* label);
int actionCard(const char* id, const ImVec4& background, const ImVec4& titleColour, const char* title,
               const char* subtitle, const std::vector<const char*>& labels);
bool styledRadioButton(const char* label, bool active);
bool styledCheckbox(const char* label, bool& value);

// Layout: the next item starts `gap` below the last one instead of the style's item spacing.
void verticalGap(float gap);

// Tiles.
enum IconKind : int {
    IconCheck = 0,
    IconCrosshair = 1,
    IconPistol = 2,
    IconTarget = 3,
    IconBarChart = 4,
    IconSliders = 5,
    IconRuler = 6,
    IconSwap = 7,
    IconReplay = 8,
};
bool textTile(const char* id, const char* title, const char* subtitle, bool selected, ImVec2 size);
bool iconTile(const char* id, int icon, const char* title, const char* subtitle, ImVec2 size);
// The height an icon tile of this width needs to hold its subtitle, with the margin of its
// top below the text.
float iconTileHeight(const char* subtitle, float width);

// Decorations.
void drawPillLabel(ImDrawList* dl, ImVec2 centre, const char* text, ImFont* font, ImU32 background, ImU32 textColour);
void drawShadowText(ImDrawList* dl, ImFont* font, ImVec2 centre, ImU32 colour, const char* text);
void drawRingDot(ImDrawList* dl, ImVec2 centre, float radius, ImU32 colour);
void drawGlowDot(ImDrawList* dl, ImVec2 centre, float radius, const ImVec4& colour, bool bright);
void drawPillBadge(const char* text, const ImVec4& textColour);
void drawIcon(int kind, ImVec2 centre, float r, ImU32 colour, ImDrawList* dl = nullptr);

inline ImU32 packColour(const ImVec4& c) { return ImGui::ColorConvertFloat4ToU32(c); }
inline ImU32 withAlpha(const ImVec4& c, float a) { return ImGui::ColorConvertFloat4ToU32(ImVec4(c.x, c.y, c.z, a)); }
