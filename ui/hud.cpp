// Everything drawn over the 3D scene while a round plays: vignette, scope, crosshair,
// off-screen arrow, hit marker, header, badges, live figures and captions.
#include <algorithm>
#include <cmath>

#include "core/catalog/angles.h"
#include "core/catalog/armory.h"
#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "engine/kernel/round_config.h"
#include "engine/kernel/session.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {

struct Vec3 {
    double x, y, z;
};
double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 forwardOf(double yawDeg, double pitchDeg) {
    const double y = yawDeg * kDegToRad, p = pitchDeg * kDegToRad;
    return {std::sin(y) * std::cos(p), std::sin(p), -std::cos(y) * std::cos(p)};
}

const TestSession& sessionInPlay(const App& app) {
    return app.sessionKind == SessionScopeCheck ? app.scopeSession : app.session;
}

bool sessionBacked(const App& app) { return app.sessionKind != SessionPractice; }

bool currentRoundIsWarmUp(const App& app) {
    const TestSession& ts = sessionInPlay(app);
    return ts.nextRound >= 0 && ts.nextRound < static_cast<int32_t>(ts.rounds.size()) &&
           ts.rounds[static_cast<size_t>(ts.nextRound)].stage == StageWarmUp;
}

ImU32 rgbColour(const Rgb& c, float alpha) { return ImGui::ColorConvertFloat4ToU32(ImVec4(c[0], c[1], c[2], alpha)); }

// How far the scope has come in: 0 up to zoom 0.55, 1 from 0.75, half at 0.65 (where the
// crosshair goes). The zoom is read to four decimals first: held as a float, 0.65 and 0.75 lie
// a hair off, and their blends would fall just short of 0.5 and 1.
float scopeBlend(const App& app) {
    const double tenThousandths = std::round(static_cast<double>(app.zoom) * 10000);
    return static_cast<float>(std::clamp((tenThousandths - 5500) / 2000, 0.0, 1.0));
}

void drawVignette(ImDrawList* dl, float W, float H) {
    const float b = 0.16f * std::min(W, H);
    const ImU32 edge = IM_COL32(0, 0, 0, 55), clear = IM_COL32(0, 0, 0, 0);
    dl->AddRectFilledMultiColor(ImVec2(0, 0), ImVec2(W, b), edge, edge, clear, clear);
    dl->AddRectFilledMultiColor(ImVec2(0, H - b), ImVec2(W, H), clear, clear, edge, edge);
    dl->AddRectFilledMultiColor(ImVec2(0, 0), ImVec2(b, H), edge, clear, clear, edge);
    dl->AddRectFilledMultiColor(ImVec2(W - b, 0), ImVec2(W, H), clear, edge, edge, clear);
}

void drawScope(ImDrawList* dl, float W, float H, float blend) {
    const ImVec2 C(W / 2, H / 2);
    const float R = 0.46f * std::min(W, H);
    const float big = 1.3f * std::max(W, H);
    auto black = [&](float alpha) { return IM_COL32(0, 0, 0, static_cast<int>(alpha * blend)); };
    dl->AddCircle(C, 0.5f * big + R, black(255), 160, big);
    for (int i = 0; i < 10; ++i)
        dl->AddCircle(C, R - 3 * s * static_cast<float>(i), black(static_cast<float>(90 - 9 * i)), 160, 3.2f * s);
    const ImU32 ret = black(235);
    const float inner = 18 * s;
    dl->AddLine(ImVec2(C.x - R, C.y), ImVec2(C.x - inner, C.y), ret, 1.6f * s);
    dl->AddLine(ImVec2(C.x + inner, C.y), ImVec2(C.x + R, C.y), ret, 1.6f * s);
    dl->AddLine(ImVec2(C.x, C.y - R), ImVec2(C.x, C.y - inner), ret, 1.6f * s);
    dl->AddLine(ImVec2(C.x, C.y + inner), ImVec2(C.x, C.y + R), ret, 1.6f * s);
    dl->AddRectFilled(ImVec2(C.x - R, C.y - 3 * s), ImVec2(C.x - 0.55f * R, C.y + 3 * s), ret);
    dl->AddRectFilled(ImVec2(C.x + 0.55f * R, C.y - 3 * s), ImVec2(C.x + R, C.y + 3 * s), ret);
    dl->AddRectFilled(ImVec2(C.x - 3 * s, C.y + 0.55f * R), ImVec2(C.x + 3 * s, C.y + R), ret);
    for (int i = 1; i <= 4; ++i) {
        const float d = inner + static_cast<float>(i) * (0.5f * R - inner) / 4;
        dl->AddCircleFilled(ImVec2(C.x - d, C.y), 2.2f * s, ret);
        dl->AddCircleFilled(ImVec2(C.x + d, C.y), 2.2f * s, ret);
        dl->AddCircleFilled(ImVec2(C.x, C.y + d), 2.2f * s, ret);
    }
    dl->AddCircleFilled(C, 2.4f * s, IM_COL32(255, 40, 40, static_cast<int>(255 * blend)));
}

void drawOffscreenArrow(App& app, ImDrawList* dl, float W, float H, float blend, double targetYaw,
                        double targetPitch, const Rgb& colour) {
    const ImVec2 C(W / 2, H / 2);
    const float R = 0.46f * std::min(W, H);
    const double vy = app.round.yaw * kDegToRad, vp = app.round.pitch * kDegToRad;
    const Vec3 f = forwardOf(app.round.yaw, app.round.pitch);
    const Vec3 r{std::cos(vy), 0, std::sin(vy)};
    const Vec3 u{-std::sin(vy) * std::sin(vp), std::cos(vp), std::cos(vy) * std::sin(vp)};
    const Vec3 t = forwardOf(targetYaw, targetPitch);
    double dx = 0, dy = 0;
    const double horizontal = std::sqrt(f.x * f.x + f.z * f.z);
    const double ft = dot(f, t);
    if (horizontal >= 1e-9 && ft > 0.05) {
        const double k = std::tan(app.viewFov() * kDegToRad / 2);
        const double x = (dot(r, t) / ft / k + 1) * W / 2;
        const double y = (1 - dot(u, t) / ft / (k * H / W)) * H / 2;
        const double ox = x - C.x, oy = y - C.y;
        const double dist = std::sqrt(ox * ox + oy * oy);
        if (blend < 0.5f) {
            if (x > 24 * s && x < W - 24 * s && y > 24 * s && y < H - 24 * s) return;
        } else if (dist < 0.97 * R) {
            return;
        }
        if (dist < 1e-4) return;
        dx = ox / dist;
        dy = oy / dist;
    } else {
        double a = std::fmod(targetYaw - app.round.yaw + 180.0, 360.0);
        if (a < 0) a += 360.0;
        a -= 180.0;
        const double b = targetPitch - app.round.pitch;
        const double len = std::sqrt(a * a + b * b);
        if (len < 1e-4) return;
        dx = a / len;
        dy = -b / len;
    }
    double D;
    if (blend >= 0.5f) {
        D = 0.84 * R;
    } else {
        // 70 px in from the edge the arrow points to; a direction (nearly) along one axis is
        // held by that axis alone. Counting its tiny other component as huge would give a
        // distance of 0 and leave the arrow of a target straight to the side on the crosshair.
        const double toSide = std::fabs(dx) <= 1e-4 ? 1e9 : (W / 2 - 70 * s) / std::fabs(dx);
        const double toTopOrBottom = std::fabs(dy) <= 1e-4 ? 1e9 : (H / 2 - 70 * s) / std::fabs(dy);
        D = std::min(toSide, toTopOrBottom);
    }
    D += 6 * s * (0.5 + 0.5 * std::sin(9 * app.secondsSinceStart()));
    const ImVec2 d(static_cast<float>(dx), static_cast<float>(dy));
    const ImVec2 n(-d.y, d.x);
    const ImVec2 T(C.x + static_cast<float>(D) * d.x, C.y + static_cast<float>(D) * d.y);
    const ImVec2 B(T.x - 30.8f * s * d.x, T.y - 30.8f * s * d.y);
    const float w = 17.6f * s, g = 2 * s;
    const ImVec2 c1(B.x + w * n.x, B.y + w * n.y), c2(B.x - w * n.x, B.y - w * n.y);
    dl->AddTriangleFilled(ImVec2(T.x + g * d.x, T.y + g * d.y), ImVec2(c1.x - g * d.x + g * n.x, c1.y - g * d.y + g * n.y),
                          ImVec2(c2.x - g * d.x - g * n.x, c2.y - g * d.y - g * n.y), IM_COL32(0, 0, 0, 170));
    dl->AddTriangleFilled(T, c1, c2, rgbColour(colour, 1));
    dl->AddTriangle(T, c1, c2, IM_COL32(255, 255, 255, 200), 1.5f * s);
}

std::string roundHeader(const App& app) {
    if (sessionBacked(app)) {
        if (currentRoundIsWarmUp(app)) {
            if (app.sessionKind == SessionScopeCheck) return "SCOPE CHECK  \xC2\xB7  warm-up";
            if (app.sessionKind == SessionSensCheck) return "SENS CHECK  \xC2\xB7  warm-up at your best sens";
            return "WARM-UP  \xC2\xB7  your current sensitivity";
        }
        const TestSession& ts = sessionInPlay(app);
        const int n = scoredRoundsDone(ts) + 1;
        const char* prefix = app.sessionKind == SessionScopeCheck ? "SCOPE CHECK  \xC2\xB7  "
                             : app.sessionKind == SessionSensCheck ? "SENS CHECK  \xC2\xB7  "
                                                                   : "";
        return formatString("%sROUND %d / %d", prefix, n, std::max(plannedRounds(ts), n));
    }
    if (app.tutorialPractice) return "TUTORIAL  \xC2\xB7  practice round";
    return formatString("PRACTICE  \xC2\xB7  round %d", app.roundCounter);
}

std::string sensBadge(const App& app) {
    if (sessionBacked(app)) {
        if (currentRoundIsWarmUp(app)) {
            if (app.sessionKind == SessionScopeCheck) return "SCOPE SENS: current";
            if (app.sessionKind == SessionSensCheck) return "SENS: your best";
            return "SENS: current";
        }
        return "SENS: HIDDEN";
    }
    const GameInfo& game = app.currentGame();
    return "SENS: " + formatGameSens(game, app.gameYaw(), app.practiceCm, app.dpi) +
           formatString("  (%.1f cm/360)", app.practiceCm);
}

void drawStatBox(ImDrawList* dl, float W, const std::string& text, bool rightAligned) {
    ImFont* f = fontBody();
    const float tw = textSize(f, f->FontSize, text.c_str()).x;
    if (rightAligned) {
        dl->AddRectFilled(ImVec2(W - tw - 44 * s, 16 * s), ImVec2(W - 16 * s, 54 * s), IM_COL32(8, 12, 18, 170), 10 * s);
        drawListText(dl, f, f->FontSize, ImVec2(W - tw - 30 * s, 25 * s), packColour(colText), text.c_str());
    } else {
        dl->AddRectFilled(ImVec2(16 * s, 16 * s), ImVec2(44 * s + tw, 54 * s), IM_COL32(8, 12, 18, 170), 10 * s);
        drawListText(dl, f, f->FontSize, ImVec2(30 * s, 25 * s), packColour(colAccent), text.c_str());
    }
}

void centredText(ImDrawList* dl, ImFont* f, ImVec2 centre, ImU32 colour, const char* text) {
    ImVec2 ts = textSize(f, f->FontSize, text);
    drawListText(dl, f, f->FontSize, ImVec2(centre.x - ts.x / 2, centre.y - ts.y / 2), colour, text);
}

}  // namespace

void drawCrosshair(const App& app, ImDrawList* dl, ImVec2 p) {
    const ImU32 colour = rgbColour(app.xhColor, 1);
    const ImU32 outline = IM_COL32(0, 0, 0, 200);
    p = ImVec2(std::floor(p.x), std::floor(p.y));
    const float th = std::max(1.0f, app.xhThick * s);
    if (static_cast<int>(th) % 2 == 1) p = ImVec2(p.x + 0.5f, p.y + 0.5f);
    const float len = app.xhSize * s, gap = app.xhGap * s, h = th / 2;
    auto rect = [&](ImVec2 a, ImVec2 b) {
        if (app.xhOutline) dl->AddRectFilled(ImVec2(a.x - 1, a.y - 1), ImVec2(b.x + 1, b.y + 1), outline);
        dl->AddRectFilled(a, b, colour);
    };
    const int style = app.xhStyle;
    if (style == 0 || style == 1) {
        rect(ImVec2(p.x - gap - len, p.y - h), ImVec2(p.x - gap, p.y + h));
        rect(ImVec2(p.x + gap, p.y - h), ImVec2(p.x + gap + len, p.y + h));
        rect(ImVec2(p.x - h, p.y - gap - len), ImVec2(p.x + h, p.y - gap));
        rect(ImVec2(p.x - h, p.y + gap), ImVec2(p.x + h, p.y + gap + len));
    }
    if (style == 0 || style == 2) rect(ImVec2(p.x - h, p.y - h), ImVec2(p.x + h, p.y + h));
    if (style == 3) {
        if (app.xhOutline) dl->AddCircle(p, len, outline, 32, th + 2);
        dl->AddCircle(p, len, colour, 32, th);
        rect(ImVec2(p.x - h, p.y - h), ImVec2(p.x + h, p.y + h));
    }
}

void drawRoundHud(App& app) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float W = display.x, H = display.y;
    const ImVec2 C(W / 2, H / 2);
    ImDrawList* bg = ImGui::GetBackgroundDrawList();
    ImDrawList* fg = ImGui::GetForegroundDrawList();
    const DrillRound& round = app.round;

    drawVignette(bg, W, H);
    const float blend = scopeBlend(app);
    if (blend > 0) drawScope(bg, W, H, blend);
    if (app.roundPhase != RoundPlaying) return;

    if (blend < 0.5f) drawCrosshair(app, fg, C);

    if (round.phase == DrillFlick && round.nextSpot < static_cast<int32_t>(round.spots.size())) {
        drawOffscreenArrow(app, fg, W, H, blend, round.targetYaw, round.targetPitch, app.flickColor);
    } else if (round.phase == DrillReveal || round.phase == DrillTracking) {
        OrbState orb = round.orbState(app.now);
        drawOffscreenArrow(app, fg, W, H, blend, orb.x, orb.y, app.trackColor);
    }

    const double sinceHit = app.now - app.hitMarkerTime;
    if (sinceHit >= 0 && sinceHit < 0.13) {
        const ImU32 c = IM_COL32(255, 255, 255, static_cast<int>((1 - sinceHit / 0.13) * 230));
        for (int sx : {-1, 1})
            for (int sy : {-1, 1})
                fg->AddLine(ImVec2(C.x + sx * 7 * s, C.y + sy * 7 * s), ImVec2(C.x + sx * 15 * s, C.y + sy * 15 * s), c,
                            2.2f * s);
    }

    const std::string header = roundHeader(app);
    drawPillLabel(fg, ImVec2(W / 2, 34 * s), header.c_str(), fontSemibold(), IM_COL32(8, 12, 18, 190), packColour(colText));
    drawStatBox(fg, W, sensBadge(app), false);

    if (round.phase >= DrillFlick && round.phase <= DrillTracking) {
        std::string stats;
        double progress = 0;
        const int spots = static_cast<int>(round.spots.size());
        if (round.phase == DrillFlick) {
            const int acc = round.shots > 0 ? static_cast<int>(std::lround(100.0 * round.hits / round.shots)) : 100;
            stats = formatString("TARGETS %d / %d     ACC %d%%", round.nextSpot + 1, spots, acc);
            progress = static_cast<double>(round.nextSpot) / std::max(spots, 1);
        } else {
            const int on = round.totalTracked > 0 ? static_cast<int>(std::lround(100.0 * round.totalOnTarget / round.totalTracked)) : 0;
            const double left = round.phaseTimeLeft(app.now);
            stats = formatString("ON TARGET %d%%     %.0fs", on, std::ceil(left));
            progress = 1 - left / std::max(round.config.leadIn + round.config.trackSeconds, 0.1);
        }
        drawStatBox(fg, W, stats, true);
        const float x0 = W / 2 - 180 * s;
        fg->AddRectFilled(ImVec2(x0, 62 * s), ImVec2(W / 2 + 180 * s, 66 * s), IM_COL32(255, 255, 255, 40), 2 * s);
        fg->AddRectFilled(ImVec2(x0, 62 * s), ImVec2(x0 + 360 * s * static_cast<float>(std::clamp(progress, 0.0, 1.0)), 66 * s),
                          packColour(colAccent), 2 * s);
    }

    if (round.phase == DrillIntro) {
        const float c = std::min(W - 40 * s, 640 * s);
        const float top = H / 2 - 232 * s;
        fg->AddRectFilled(ImVec2(W / 2 - c / 2, top), ImVec2(W / 2 + c / 2, H / 2 - 34 * s), IM_COL32(8, 12, 18, 205), 18 * s);
        fg->AddRect(ImVec2(W / 2 - c / 2, top), ImVec2(W / 2 + c / 2, H / 2 - 34 * s), IM_COL32(255, 255, 255, 22), 18 * s, 0, 1);
        const int count = std::max(1, static_cast<int>(std::ceil(round.config.introSeconds - (app.now - round.phaseStart))));
        drawShadowText(fg, fontHero(), ImVec2(W / 2, top + 50 * s), packColour(colText), formatString("%d", count).c_str());
        drawShadowText(fg, fontSemibold(), ImVec2(W / 2, top + 106 * s), packColour(colAccent),
                       app.sessionKind == SessionScopeCheck ? "SCOPED FLICKS  \xE2\x80\x94  hit each target fast"
                                                            : "FLICK  \xE2\x80\x94  hit each target as fast as you can");
        drawShadowText(fg, fontBody(), ImVec2(W / 2, top + 140 * s), withAlpha(colText, 0.75f),
                       "then TRACK  \xE2\x80\x94  keep your crosshair on the orange orb");
        const DrillStyle& style = drillStyleText(round.config.style);
        drawShadowText(fg, fontSmall(), ImVec2(W / 2, top + 172 * s), withAlpha(colTextDim, 0.9f),
                       formatString("%s drill  \xC2\xB7  %s", style.name, style.description).c_str());
    }

    if (round.phase == DrillReveal || (round.phase == DrillTracking && app.now - round.phaseStart < 1.2))
        centredText(fg, fontSemibold(), ImVec2(W / 2, H / 2 - 90 * s), packColour(colWarn),
                    "TRACK  \xC2\xB7  stay on the target");

    if (app.sessionKind == SessionPractice && app.tutorialPractice) {
        if (round.phase == DrillFlick)
            drawPillLabel(fg, ImVec2(W / 2, H - 90 * s), "Click each blue target as fast as you can", fontSemibold(),
                          IM_COL32(8, 12, 18, 200), packColour(colWarn));
        else if (round.phase >= DrillReveal)
            drawPillLabel(fg, ImVec2(W / 2, H - 90 * s),
                          "Keep your crosshair on the orange orb \xE2\x80\x94 it lights up while you're on it",
                          fontSemibold(), IM_COL32(8, 12, 18, 200), packColour(colWarn));
    } else if (app.sessionKind == SessionPractice && round.phase == DrillFlick && app.zoom < 0.3f) {
        if (gunIsScoped(app.gun))
            centredText(fg, fontSmall(), ImVec2(W / 2, H - 36 * s), packColour(colTextDim), "Hold RIGHT-CLICK to scope");
    }

    if (app.showFps)
        drawListText(fg, fontSmall(), fontSmall()->FontSize, ImVec2(W - 90 * s, H - 30 * s), packColour(colTextDim),
                     formatString("%.0f FPS", app.fps).c_str());
    if (app.absoluteMouseSeen)
        centredText(fg, fontSmall(), ImVec2(W / 2, H - 40 * s), packColour(colWarn),
                    "Absolute-position mouse detected (remote desktop / tablet?). Raw counts are not available.");
}
