#pragma once
// Every screen and overlay the root frame dispatches to; each takes the App and draws into
// the current window.
#include "imgui.h"

struct App;

// The smallest display, at UI scale 1, that every screen fits in, unclipped: six home tiles
// on one row need a content column of 1100 (a display of 1164), which keeps the home screen
// at 588 high; the widest fixed rows elsewhere (the results screen's perfect-DPI table, the
// Armory's two columns of skins, the DPI presets) fit from 1112. The tallest wizard page,
// Style, needs 710, and the Mouse page of every kind of game fits within it.
inline constexpr int kMinimumDisplayWidth = 1168;
inline constexpr int kMinimumDisplayHeight = 720;

void drawUi(App& app);

void drawHomeScreen(App& app);
void drawSetupWizard(App& app);
void drawRoundHud(App& app);
void drawRoundSummary(App& app);
void drawPauseOverlay(App& app);
void drawResultsScreen(App& app);
void drawMeasureDpiScreen(App& app);
void drawConverterScreen(App& app);
void drawHistoryScreen(App& app);
void drawSettingsScreen(App& app);
void drawCalibrateScreen(App& app);
void drawArmory(App& app);
void drawToolsScreen(App& app);
void drawScopeResultScreen(App& app);
void drawQuickTour(App& app);
void drawLevelUpToast(App& app);
void drawShareCard(App& app);
void drawBanner(App& app);
// The configured crosshair centred on a point (the HUD and the settings preview).
void drawCrosshair(const App& app, ImDrawList* dl, ImVec2 centre);
// The current level's progress bar and caption at the cursor.
void drawXpBar(App& app, float width);
