#pragma once
// A finished result filled in by hand (ten rounds around 40 cm/360 with a concave fit) on a
// headless UI, with a temporary data folder for the settings it writes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>

#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_harness.h"
#include "ui/probe.h"

namespace results_test {

namespace fs = std::filesystem;

inline RoundMetrics metricsAt(double cm360, int32_t stage, double performance) {
    RoundMetrics m;
    m.cm360 = cm360;
    m.stage = stage;
    m.performance = performance;
    m.throughput = 4.0 + performance / 100;
    m.accuracy = 0.82;
    m.avgKillMs = 610;
    m.trackOnTarget = 0.55;
    m.overflickPct = cm360 < 35 ? 30 : 10;
    m.underflickPct = cm360 > 45 ? 35 : 12;
    return m;
}

// Performance of the hand-made curve: a top of 105 % at 40 cm/360.
inline double curvePerformance(double cm360) {
    const double d = std::log(cm360 / 40.0);
    return 105 - 40 * d * d;
}

inline void fillResult(App& app) {
    app.hasResult = true;
    app.resultSaved = true;
    app.isSensCheckResult = false;
    app.resultGame = gameIndexById("valorant");
    app.resultYaw = 0.07;
    app.resultCm = 50;
    app.resultConfig.dpi = 800;
    app.resultConfig.hFov = 103;
    AnalysisResult& a = app.analysis;
    a = AnalysisResult{};
    a.valid = true;
    a.recommendedCm360 = 40;
    a.lowCm360 = 36;
    a.highCm360 = 44;
    a.confidence = "Medium";
    const double stageOne[] = {25, 32, 40, 50, 63};
    const double stageTwo[] = {34, 37, 40, 43, 46};
    for (double c : stageOne) a.rounds.push_back(metricsAt(c, 1, curvePerformance(c)));
    for (double c : stageTwo) a.rounds.push_back(metricsAt(c, 2, curvePerformance(c) - 1));
    for (size_t k = 0; k < a.rounds.size(); ++k) a.rounds[k].roundNumber = static_cast<int32_t>(k);
    a.fit.ok = true;
    a.fit.concave = true;
    a.fit.xMean = std::log(40.0);
    a.fit.c0 = 105;
    a.fit.c2 = -40;
    a.fit.xMin = std::log(25.0);
    a.fit.xMax = std::log(63.0);
}

// The value of one key=value line of a settings file; "" when absent.
inline std::string settingValue(const fs::path& file, const std::string& key) {
    std::istringstream in(test_files::read(file));
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    return "";
}

// The display is tall so that the whole screen, down to its last button, is on it.
struct ResultsFixture {
    TempFolder dir;
    App app;
    UiHarness ui;
    explicit ResultsFixture(float width = 1600, float height = 3200) : ui(app, width, height) {
        app.dataDir = dir.path();
        resetCalibratedYaws();
        fillResult(app);
        app.screen = ScreenResults;
    }
    ~ResultsFixture() { resetCalibratedYaws(); }
    // Cards that grow to their content take their height from the frame before, so the
    // layout settles on the second frame.
    void show() {
        ui.frame();
        ui.frame();
    }
    fs::path settingsFile() const { return dir.at("settings.ini"); }
    void useGame(const char* id, double yaw) {
        app.resultGame = gameIndexById(id);
        app.resultYaw = yaw;
    }
};

}  // namespace results_test
