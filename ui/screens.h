#pragma once
// Every screen and overlay the root frame dispatches to; each takes the App and draws into
// the current window.
#include "imgui.h"

struct App;

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
