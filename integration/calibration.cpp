#include "integration/calibration.h"

#include <cmath>
#include <cstring>

#include "core/catalog/catalog.h"
#include "core/catalog/sound.h"
#include "core/profile/app.h"
#include "integration/reforger.h"

namespace {

// Fewer counts per turn than this is a slip of the finger, not a measurement.
constexpr double kMinCountsPerTurn = 50;

bool validGame(int32_t index) { return index >= 0 && static_cast<size_t>(index) < gameCatalog().size(); }

}  // namespace

void enterCalibrate(App& app, int32_t gameIndex, int32_t returnScreen) {
    app.calGame = gameIndex;
    app.calReturnScreen = returnScreen;
    app.calTries.clear();
    app.calCounting = false;
    if (validGame(gameIndex) && gameIndex == app.game && !app.sensUnknown) app.calSens = app.sens;
    if (gameIndex == gameIndexById("reforger")) {
        app.reforger = locateReforgerSettings();
        // The file says what the player really turns with; automated runs keep their own value.
        if (app.reforger.found && !app.automation) app.calSens = app.reforger.mouseSensitivity;
    }
    app.screen = ScreenCalibrate;
}

void onCalibrateHotkey(App& app) {
    if (app.screen != ScreenCalibrate) return;
    if (!app.calCounting) {
        app.calCounting = true;
        app.calCounts = 0;
        playSound(SoundGo, 1.0f);
        return;
    }
    app.calCounting = false;
    const double turns = app.calTurns > 0 ? app.calTurns : 1;
    const double perTurn = std::fabs(static_cast<double>(app.calCounts)) / turns;
    if (perTurn > kMinCountsPerTurn) {
        app.calTries.push_back(perTurn);
        playSound(SoundRoundEnd, 1.0f);
    } else {
        playSound(SoundMiss, 1.0f);
    }
}

bool onCalibrateCounts(App& app, int64_t dx) {
    if (!app.calCounting || app.screen != ScreenCalibrate) return false;
    app.calCounts += dx;
    return true;
}

CalibrationResult calibrationResult(const App& app) {
    CalibrationResult r;
    const std::vector<double>& tries = app.calTries;
    if (tries.empty()) return r;
    r.tries = static_cast<int32_t>(tries.size());
    double sum = 0;
    for (double t : tries) sum += t;
    const double mean = sum / tries.size();
    r.countsPerTurn = mean;
    if (tries.size() > 1) {
        double squares = 0;
        for (double t : tries) squares += (t - mean) * (t - mean);
        r.spread = std::sqrt(squares / (tries.size() - 1));
    }
    if (mean > 0) {
        r.yaw = app.calSens > 0 ? 360.0 / (app.calSens * mean) : 0;
        r.cm360 = app.dpi > 0 ? mean / app.dpi * kCmPerInch : 0;
        r.spreadPercent = 100.0 * r.spread / mean;
    }
    r.inconsistent = r.spread > 0.02 * mean;
    r.agreeing = !r.inconsistent && r.tries >= 2;
    return r;
}

bool saveCalibration(App& app) {
    if (!validGame(app.calGame)) return false;
    const CalibrationResult result = calibrationResult(app);
    if (!(result.yaw > 0) || !std::isfinite(result.yaw)) return false;
    const GameInfo& game = gameCatalog()[static_cast<size_t>(app.calGame)];
    if (game.kind == GameKindCalibrated) {
        if (std::strcmp(game.id, "reforger") == 0) {
            app.setReforgerYaw(result.yaw);
            app.reforger = locateReforgerSettings();
            app.reforgerFov = app.reforger.found ? app.reforger.firstPersonFov : 0;
        } else {
            setCalibratedYaw(game.id, result.yaw);
        }
    } else if (game.kind == GameKindUserYaw) {
        app.customYaw = result.yaw;
    } else {
        return false;
    }
    if (app.calGame == app.game) {
        app.sensUnknown = false;
        app.sens = app.calSens;
    }
    app.setMyGame(app.calGame, game.kind == GameKindCalibrated);
    app.saveSettings();
    app.calTries.clear();
    app.screen = app.calReturnScreen;
    return true;
}
