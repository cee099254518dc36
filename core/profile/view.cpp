// App helpers over the catalogue: the current game's yaw and cm/360, the fields of view,
// the shot sound and adopting a recommended cm/360.
#include <cmath>
#include <cstdlib>

#include "core/catalog/angles.h"
#include "core/catalog/armory.h"
#include "core/catalog/sound.h"
#include "core/profile/app.h"
#include "platform/base/clock.h"

double App::secondsSinceStart() const {
    if (qpcFrequency <= 0) return 0;
    return static_cast<double>(plat::counterNow() - qpcStart) / static_cast<double>(qpcFrequency);
}

const GameInfo& App::currentGame() const { return gameRowOrDefault(game); }

double App::gameYaw() const {
    const GameInfo& row = currentGame();
    if (row.kind == GameKindUserYaw) return customYaw > 0 ? customYaw : 0.022;
    return row.yaw;
}

double App::currentCm360() const {
    const GameInfo& row = currentGame();
    double cm;
    if (row.kind == GameKindCm360)
        cm = cmDirect;
    else if (sensUnknown)
        cm = row.defaultCm360;
    else
        cm = cm360FromSens(gameYaw(), sens, dpi);
    if (!std::isfinite(cm) || !(cm > 0)) cm = row.defaultCm360;
    return clampCm360(cm);
}

double App::horizontalFov() const {
    // A hand-edited fov of 180 or more (or not a number) would break the projection, and so
    // would one too narrow for its scale to fit the renderer's floats (below 1e-30 degrees,
    // with room for a tall window and the scope's zoom).
    if (std::isfinite(fov) && fov >= 1e-30 && fov < 180) return fov;
    return currentGame().defaultFov;
}

double App::verticalFov() const {
    const double h = horizontalFov() * kDegToRad;
    return 2 * std::atan(std::tan(h / 2) * 9.0 / 16.0) * kRadToDeg;
}

double App::windowFov() const {
    const double v = verticalFov() * kDegToRad;
    const double aspect = height > 0 ? static_cast<double>(width) / height : 16.0 / 9.0;
    return 2 * std::atan(std::tan(v / 2) * aspect) * kRadToDeg;
}

bool App::isScopedView() const {
    if (screen != ScreenRound) return false;
    if (sessionKind == SessionScopeCheck) return true;
    return sessionKind == SessionPractice && gunIsScoped(gun) && zoom >= 0.5f;
}

void App::playShotSound(bool hit) {
    recoil[0] = 1;
    recoil[1] = 1;
    const GunInfo& g = gunCatalog()[gunIndexById(gun)];
    if (g.soundKind == 0)
        playSound(SoundShotPistol, hit ? 0.54f : 0.9f);
    else if (g.soundKind == 1)
        playSound(SoundShotRifle, hit ? 0.54f : 0.9f);
    else if (g.soundKind == 2) {
        if (g.scoped)
            playSound(SoundShotSniper, hit ? 0.54f : 0.9f);
        else
            playSound(SoundShotSniper, hit ? 0.48f : 0.8f);
    }
}

void App::setSensFromCm360(double cm360) {
    game = resultGame;
    const GameInfo& row = currentGame();
    if (row.kind == GameKindCm360) {
        cmDirect = cm360;
    } else {
        if (row.kind == GameKindUserYaw) customYaw = resultYaw;
        // Store what the game can be given; a value that rounds to 0 (or a result made with
        // no yaw) would leave the profile with sensitivity 0, so keep the unrounded value,
        // or the previous one.
        const double exact = sensFromCm360(resultYaw, cm360, dpi);
        if (exact > 0) {
            const double shown = std::strtod(formatSens(exact, row.decimals).c_str(), nullptr);
            sens = shown > 0 ? shown : exact;
        }
    }
    sensUnknown = false;
    saveSettings();
}
