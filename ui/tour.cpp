// The five-page quick tour shown over the home screen on the first run.
#include <algorithm>

#include "core/profile/app.h"
#include "engine/flow/starters.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {

constexpr ImGuiWindowFlags kTourFlags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                        ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoScrollbar |
                                        ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings;

void title(const char* text) {
    ImGui::PushFont(fontTitle());
    coloredText(colText, "%s", text);
    ImGui::PopFont();
}

void bullets(std::initializer_list<const char*> lines) {
    for (const char* line : lines) bulletText("%s", line);
}

void finishTour(App& app) {
    app.tourVisible = false;
    app.tutorialDone = true;
    app.saveSettings();
}

void drawPage(App& app, float tw) {
    switch (app.tourPage) {
        case 0:
            drawWordmark(fontTitle(), "Welcome to ");
            ImGui::Spacing();
            textLine("Tarvion finds the sensitivity you actually aim best with \xE2\x80\x94 by testing you, not by guessing.");
            ImGui::Spacing();
            bullets({"You play short aim rounds (about 7 minutes in total).",
                     "It reads your mouse raw \xE2\x80\x94 no Windows acceleration or smoothing.",
                     "At the end you get your best sens for every game on your PC, plus your perfect DPI."});
            break;
        case 1: {
            title("Every round has two parts");
            ImGui::Spacing();
            const float c = (tw - 72 * s) / 2;
            const ImVec2 q = ImGui::GetCursorScreenPos();
            ImDrawList* dl = ImGui::GetWindowDrawList();
            const Rgb& fc = app.flickColor;
            const Rgb& tc = app.trackColor;
            drawGlowDot(dl, ImVec2(q.x + c / 2, q.y + 52 * s), 26 * s, ImVec4(fc[0], fc[1], fc[2], 1), false);
            drawGlowDot(dl, ImVec2(q.x + 1.5f * c, q.y + 52 * s), 34 * s, ImVec4(tc[0], tc[1], tc[2], 1), true);
            ImGui::Dummy(ImVec2(0, 112 * s));
            const float left = ImGui::GetCursorPosX();
            ImGui::BeginGroup();
            ImGui::PushTextWrapPos(left + c - 20 * s);
            ImGui::PushFont(fontSemibold());
            coloredText(colAccent, "%s", "1. FLICK");
            ImGui::PopFont();
            textLine("Blue targets pop up. Click each one as fast as you can. Speed and accuracy both count.");
            ImGui::PopTextWrapPos();
            ImGui::EndGroup();
            ImGui::SameLine(36 * s + c);
            ImGui::BeginGroup();
            ImGui::PushTextWrapPos(36 * s + c + c - 20 * s);
            ImGui::PushFont(fontSemibold());
            coloredText(colWarn, "%s", "2. TRACK");
            ImGui::PopFont();
            textLine("An orange orb strafes around. Keep your crosshair on it \xE2\x80\x94 it lights up while you're on "
                     "it. No clicking.");
            ImGui::PopTextWrapPos();
            ImGui::EndGroup();
            break;
        }
        case 2:
            title("The sensitivity is hidden");
            ImGui::Spacing();
            textLine("Every round secretly uses a different sensitivity, in random order. Some will feel too fast or "
                     "too slow \xE2\x80\x94 that's the point.");
            ImGui::Spacing();
            bullets({"Don't try to guess or adjust. Just aim the way you normally do.",
                     "Tarvion compares how you did at each one and narrows in on your best.",
                     "Your current sens is only used as the starting point."});
            break;
        case 3:
            title("Then confirm it");
            ImGui::Spacing();
            bullets({"Results: your best sens, how sure we are, your perfect DPI and the same feel for all your games.",
                     "Sens Check (3 min): a few more blind rounds that either CONFIRM your sens or suggest a small "
                     "tweak \xE2\x80\x94 then one more check to lock it in.",
                     "History: all your results combined, and a chart of your progress over days.",
                     "Arma Reforger: calibrate it once and Tarvion can set the sens in the game for you."});
            break;
        default:
            title("Before you start");
            ImGui::Spacing();
            bullets({"Use the mouse, DPI and mousepad you play with, and sit like you do in-game.",
                     "ESC pauses (that round restarts). F12 saves a screenshot.",
                     "Want to feel it first? Try a 30-second practice round."});
            break;
    }
}

}  // namespace

void drawQuickTour(App& app) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float W = display.x, H = display.y;
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(W, H));
    ImGui::PushStyleColor(ImGuiCol_WindowBg, ImVec4(0, 0, 0, 0.55f));
    ImGui::Begin("##tutBack", nullptr, kTourFlags);
    ImGui::End();
    ImGui::PopStyleColor();

    const float tw = std::min(W - 40 * s, 800 * s), th = std::min(H - 40 * s, 540 * s);
    ImGui::SetNextWindowPos(ImVec2(W / 2, H / 2), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(tw, th));
    ImGui::SetNextWindowFocus();
    ImGui::PushStyleColor(ImGuiCol_WindowBg, ImVec4(0.06f, 0.075f, 0.10f, 0.99f));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 18 * s);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(36 * s, 30 * s));
    ImGui::Begin("##tutorial", nullptr, kTourFlags);

    ImGui::PushFont(fontSmall());
    dimText("QUICK TOUR   %d / %d", static_cast<int>(app.tourPage + 1), 5);
    ImGui::PopFont();
    ImGui::Spacing();
    ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + tw - 72 * s);
    drawPage(app, tw);
    ImGui::PopTextWrapPos();

    ImGui::SetCursorPosY(th - 80 * s);
    const ImVec2 q = ImGui::GetCursorScreenPos();
    ImDrawList* dl = ImGui::GetWindowDrawList();
    for (int i = 0; i < 5; ++i) {
        const bool current = i == app.tourPage;
        dl->AddCircleFilled(ImVec2(q.x + 6 * s + 18 * s * static_cast<float>(i), q.y + 25 * s), current ? 5 * s : 3.5f * s,
                            current ? packColour(colAccent) : withAlpha(colTextDim, 0.6f));
    }
    if (app.tourPage >= 0 && app.tourPage <= 3) {
        ImGui::SetCursorPosX(tw - 36 * s - 200 * s - 12 * s - 130 * s - 12 * s - 130 * s);
        if (plainButton("Skip tour", ImVec2(130 * s, 48 * s))) finishTour(app);
        ImGui::SameLine(0, 12 * s);
        ImGui::BeginDisabled(app.tourPage == 0);
        if (plainButton("Back", ImVec2(130 * s, 48 * s))) app.tourPage -= 1;
        ImGui::EndDisabled();
        ImGui::SameLine(0, 12 * s);
        if (primaryButton("NEXT", ImVec2(200 * s, 48 * s))) app.tourPage += 1;
    } else {
        ImGui::SetCursorPosX(tw - 36 * s - 340 * s - 12 * s - 200 * s);
        if (plainButton("Skip \xE2\x80\x94 I'm ready", ImVec2(200 * s, 48 * s))) finishTour(app);
        ImGui::SameLine(0, 12 * s);
        if (primaryButton("TRY A PRACTICE ROUND", ImVec2(340 * s, 48 * s))) {
            finishTour(app);
            startPractice(app, app.currentCm360(), true);
        }
    }
    ImGui::End();
    ImGui::PopStyleVar(2);
    ImGui::PopStyleColor();
}
