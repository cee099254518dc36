#include "app/startup.h"

#include <algorithm>

#include "core/profile/app.h"
#include "integration/detection.h"
#include "platform/base/files.h"
#include "platform/base/paths.h"
#include "platform/system/message.h"

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

bool folderTakesFiles(const std::string& folder) {
    const std::string probe = plat::makeTempFile(folder, ".tarvion-probe-");
    if (probe.empty()) return false;
    plat::deleteFile(probe);
    return true;
}

std::string unattendedOutputProblem(const App& app) {
    std::vector<std::string> folders;
    if (!app.inputTestFile.empty()) {
        const size_t cut = app.inputTestFile.find_last_of("/\\");
        folders.push_back(cut == std::string::npos ? std::string(".") : app.inputTestFile.substr(0, cut + 1));
    } else {
        folders.push_back(app.shotsDir);
    }
    folders.push_back(app.dataDir);
    for (const std::string& folder : folders) {
        if (!plat::folderExists(folder)) return "Could not make the output folder \"" + folder + "\".";
        if (!folderTakesFiles(folder)) return "Could not write into the output folder \"" + folder + "\".";
    }
    return std::string();
}

int finalExitCode(const App& app) {
    int code = 0;
    if (!app.automationFailure.empty()) {
        plat::reportError(app.automationFailure, false);
        code = 1;
    }
    if (!app.unwrittenFiles.empty()) {
        std::string list = "Could not write " + std::to_string(app.unwrittenFiles.size()) + " file(s):";
        for (const std::string& path : app.unwrittenFiles) list += "\n  " + path;
        plat::reportError(list, false);
        code = 1;
    }
    return code;
}

void applyUnattendedResets(App& app) {
    if (!app.inputTestFile.empty()) app.applyInputTestReset();
    if (app.automation) app.applyAutomationReset();
}

float startupUiScale(float scaleOverride, float desktopScale) {
    if (scaleOverride > 0) return scaleOverride;
    return std::max(1.0f, desktopScale);
}

void startDetectionThread(App& app) {
    app.detectionThread = std::thread([&app] { detectionThreadMain(app); });
}

void joinDetectionThread(App& app) {
    if (app.detectionThread.joinable()) app.detectionThread.join();
}
