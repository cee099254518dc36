#include "integration/reforger.h"

#include <cmath>
#include <cstring>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "integration/detection.h"
#include "platform/base/atomic_file.h"
#include "platform/base/files.h"
#include "platform/base/folders.h"
#include "platform/base/process.h"

namespace {

const char* const kSensKey = "m_fMouseSensitivity";
const char* const kFovKey = "m_fFirstPersonFOV";
const char* const kBackupSuffix = ".tarvion-backup";
const char* const kTempSuffix = ".tarvion-tmp";

// A settings file is a few kilobytes; anything this big is not one, and must not be
// written back cut short.
constexpr size_t kMaxSettingsBytes = 16 * 1024 * 1024;

}  // namespace

ReforgerFileOps& reforgerFileOps() {
    static ReforgerFileOps ops{plat::copyFileNoOverwrite, plat::writeFreshFile, plat::replaceFile};
    return ops;
}

ReforgerHost machineReforgerHost() {
    ReforgerHost host;
    host.documentsKnown = plat::documentsFolder(host.documents);
    host.processesKnown = plat::runningProcessNames(host.processNames);
    return host;
}

bool readTextFile(const std::string& path, std::string& text) {
    if (plat::readFileCapped(path, kMaxSettingsBytes, text) == plat::ReadResult::Ok) return true;
    text.clear();
    return false;
}

ReforgerSettings locateReforgerSettings(const std::string& documentsFolder) {
    ReforgerSettings settings;
    const std::string base = documentsFolder + "\\My Games\\ArmaReforger\\profile\\.save";
    std::string best;
    int64_t bestTime = 0;
    for (const plat::FileEntry& entry : plat::findFiles(base + "\\app1874880_user*")) {
        if (!entry.isFolder) continue;
        const std::string candidate = base + "\\" + entry.name + "\\settings\\ReforgerGameSettings.conf";
        plat::FileAttributes attributes;
        if (!plat::fileAttributes(candidate, &attributes)) continue;
        if (best.empty() || attributes.lastWriteTime > bestTime) {
            best = candidate;
            bestTime = attributes.lastWriteTime;
        }
    }
    if (best.empty()) best = base + "\\settings\\ReforgerGameSettings.conf";

    // From here on the file's own host path: the write steps add suffixes to it.
    const std::string path = plat::resolvePath(best);
    std::string text;
    if (path.empty() || !readTextFile(path, text)) return settings;
    size_t pos = 0, len = 0;
    double value = 0;
    if (!findNumberAfterKey(text, kSensKey, pos, len, value)) return settings;
    settings.found = true;
    settings.path = path;
    settings.mouseSensitivity = value;
    if (findNumberAfterKey(text, kFovKey, pos, len, value)) settings.firstPersonFov = value;
    return settings;
}

ReforgerSettings locateReforgerSettings() {
    std::string documents;
    if (!plat::documentsFolder(documents)) return ReforgerSettings{};
    return locateReforgerSettings(documents);
}

bool isReforgerProcess(const std::string& exeName) {
    const std::string name = lowered(exeName);
    return name.find("armareforger") != std::string::npos && name.find("server") == std::string::npos &&
           name.find("tools") == std::string::npos;
}

bool isReforgerRunning() {
    std::vector<std::string> names;
    if (!plat::runningProcessNames(names)) return false;
    for (const std::string& name : names)
        if (isReforgerProcess(name)) return true;
    return false;
}

bool writeReforgerSens(const std::string& path, double sens, std::string& message) {
    std::string text;
    if (!readTextFile(path, text)) {
        message = "Couldn't read Reforger's settings file - nothing was changed.";
        return false;
    }
    size_t pos = 0, len = 0;
    double old = 0;
    if (!findNumberAfterKey(text, kSensKey, pos, len, old)) {
        message = "Reforger's settings file has an unexpected format - nothing was changed.";
        return false;
    }

    const ReforgerFileOps& ops = reforgerFileOps();
    // The first write keeps the original; a backup already there is never touched. Only a
    // regular file is one: a folder or a FIFO at that name holds no copy, and since the copy
    // never replaces anything it then fails.
    const std::string backup = path + kBackupSuffix;
    plat::FileAttributes existing;
    const bool backedUp = plat::fileAttributes(backup, &existing) && existing.isFile;
    if (!backedUp && !ops.copyNoOverwrite(path, backup)) {
        message = "Couldn't back up Reforger's settings file - nothing was changed.";
        return false;
    }

    const std::string number = reforgerNumberText(sens);
    text.replace(pos, len, number);

    // Made afresh: a link or a FIFO left at the temporary name is removed, never written
    // through or waited on, and a failed write removes what it made.
    const std::string temp = path + kTempSuffix;
    if (!ops.writeFile(temp, text)) {
        message = "Couldn't write Reforger's settings file.";
        return false;
    }
    if (!ops.replaceFile(temp, path)) {
        plat::deleteFile(temp);
        message = "Couldn't replace Reforger's settings file (is it read-only?).";
        return false;
    }
    message = formatString("Done - Reforger mouse sensitivity set to %s (was %.2f). A backup of the original is next "
                           "to the file.",
                           number.c_str(), old);
    return true;
}

bool applyReforgerSens(double sens, std::string& message, const ReforgerHost& host) {
    // Written this way round so a NaN is refused too.
    if (!(sens >= 0.1 && sens <= 2.0)) {
        message = "That sens is outside Reforger's slider (0.1 - 2.0). Change your DPI so it fits (see Perfect DPI).";
        return false;
    }
    if (host.processesKnown)
        for (const std::string& name : host.processNames)
            if (isReforgerProcess(name)) {
                message = "Close Arma Reforger first - it rewrites its settings file when it exits.";
                return false;
            }
    ReforgerSettings settings;
    if (host.documentsKnown) settings = locateReforgerSettings(host.documents);
    if (!settings.found) {
        message = "Couldn't find Reforger's settings file. Launch Reforger once, then try again.";
        return false;
    }
    return writeReforgerSens(settings.path, sens, message);
}

bool applyReforgerSens(double sens, std::string& message) {
    return applyReforgerSens(sens, message, machineReforgerHost());
}

void applyToReforger(App& app, int32_t gameIndex, double cm360, const ReforgerHost& host) {
    app.reforgerStatusOk = false;
    const std::vector<GameInfo>& catalog = gameCatalog();
    const bool valid = gameIndex >= 0 && static_cast<size_t>(gameIndex) < catalog.size();
    if (!valid || std::strcmp(catalog[static_cast<size_t>(gameIndex)].id, "reforger") != 0 ||
        !(catalog[static_cast<size_t>(gameIndex)].yaw > 0)) {
        app.reforgerStatus = "Only Arma Reforger can be set automatically.";
        return;
    }
    const double yaw = catalog[static_cast<size_t>(gameIndex)].yaw;
    const double sens = std::round(sensFromCm360(yaw, cm360, app.resultConfig.dpi) * 100) / 100;
    app.reforgerStatusOk = applyReforgerSens(sens, app.reforgerStatus, host);
    app.reforger = host.documentsKnown ? locateReforgerSettings(host.documents) : ReforgerSettings{};
}

void applyToReforger(App& app, int32_t gameIndex, double cm360) {
    applyToReforger(app, gameIndex, cm360, machineReforgerHost());
}
