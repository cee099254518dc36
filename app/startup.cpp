#include "app/startup.h"

#include "core/app.h"
#include "integration/detection.h"
#include "platform/paths.h"

bool isUnattended(const App& app) { return app.automation || !app.inputTestFile.empty(); }

bool chooseDataFolder(App& app) {
    if (!app.inputTestFile.empty()) {
        app.shotsDir = app.inputTestFile + "_data";
        app.dataDir = app.shotsDir;
    } else if (app.automation) {
        if (app.shotsDir.empty()) app.shotsDir.assign(1, '.');  // not = ".": g++ 12 warns falsely there
        app.dataDir = plat::joinPath(app.shotsDir, "data");
    } else {
        app.dataDir = plat::defaultDataFolder();
    }
    // A fresh machine may lack the parents too (~/.local/share, a new --shots folder).
    return plat::makeFolders(app.dataDir);
}

void applyUnattendedResets(App& app) {
    if (!app.inputTestFile.empty()) app.applyInputTestReset();
    if (app.automation) app.applyAutomationReset();
}

void startDetectionThread(App& app) {
    app.detectionThread = std::thread([&app] { detectionThreadMain(app); });
}

void joinDetectionThread(App& app) {
    if (app.detectionThread.joinable()) app.detectionThread.join();
}
