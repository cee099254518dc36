// The Tools screen: the three extras that are not part of the Sensitivity Finder itself.
#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "integration/calibration.h"
#include "ui/kit.h"
#include "ui/screens.h"

void drawToolsScreen(App& app) {
    ImGui::PushFont(fontTitle());
    coloredText(colText, "%s", "Tools");
    ImGui::PopFont();
    dimText("%s", "Handy extras. None of these are needed for the Sensitivity Finder.");
    verticalGap(10 * s);

    const ImVec2 tile((contentWidth - 32 * s) / 3, 128 * s);
    if (iconTile("dpi", IconRuler, "Measure DPI",
                 "Find your mouse's real DPI with a ruler (they're often off by 2-10%).", tile)) {
        app.dpiReturnScreen = ScreenTools;
        app.screen = ScreenDpi;
    }
    ImGui::SameLine(0, 16 * s);
    if (iconTile("conv", IconSwap, "Converter", "Same feel in every game: convert sens between games and DPIs.", tile))
        app.screen = ScreenConverter;
    ImGui::SameLine(0, 16 * s);
    if (iconTile("cal", IconReplay, "Calibrate a game",
                 "Measure a game's exact turn rate in-game with F8 (Arma Reforger and others).", tile))
        enterCalibrate(app, gameIndexById("reforger"), ScreenTools);

    verticalGap(10 * s);
    if (plainButton("Back", ImVec2(140 * s, 46 * s))) app.screen = ScreenHome;
}
