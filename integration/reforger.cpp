#include "integration/reforger.h"

#include <cmath>
#include <cstring>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "integration/detection.h"
#include "integration/store_sources.h"
#include "platform/base/atomic_file.h"
#include "platform/base/files.h"
#include "platform/base/folders.h"
#include "platform/base/process.h"

namespace {

const char* const kSensKey = "m_fMouseSensitivity";
const char* const kFovKey = "m_fFirstPersonFOV";
const char* const kBackupSuffix = ".tarvion-backup";
const char* const kTempSuffix = ".tarvion-tmp";
// The backup while it is being written, beside its name.
const char* const kBackupTempSuffix = ".tarvion-backup.tmp";
const char* const kSaveFolder = "\\My Games\\ArmaReforger\\profile\\.save";
const char* const kSettingsFile = "\\settings\\ReforgerGameSettings.conf";
// The Documents folder Proton gives the game inside a Steam library.
const char* const kProtonDocuments = "\\steamapps\\compatdata\\1874880\\pfx\\drive_c\\users\\steamuser\\Documents";

// A settings file is a few kilobytes; anything this big is not one, and must not be
// written back cut short.
constexpr size_t kMaxSettingsBytes = 16 * 1024 * 1024;

// The player's folders, without the running programs (a look at the file needs no more).
ReforgerHost machineReforgerFolders() {
    ReforgerHost host;
    host.documentsKnown = plat::documentsFolder(host.documents);
    if (plat::gamesRunUnderProton()) host.steamLibraries = steamLibraryFolders(machineScanInputs());
    return host;
}

// The one-time copy of the file as it was (its bytes as read): written whole beside the
// backup's name and only then moved there, so whatever stands at that name is a whole copy.
// A kill part-way leaves no backup, and the next write makes it again over the piece left.
// The move never replaces anything, so a backup already there (or a folder, a link) stays.
bool makeBackup(const ReforgerFileOps& ops, const std::string& path, const std::string& original) {
    const std::string temp = path + kBackupTempSuffix;
    if (!ops.writeFile(temp, original)) return false;
    if (plat::moveFileNoOverwrite(temp, path + kBackupSuffix)) return true;
    plat::deleteFile(temp);
    return false;
}

}  // namespace

ReforgerFileOps& reforgerFileOps() {
    static ReforgerFileOps ops{plat::writeFreshFile, plat::replaceFile};
    return ops;
}

ReforgerHost machineReforgerHost() {
    ReforgerHost host = machineReforgerFolders();
    host.processesKnown = plat::runningProcessNames(host.processNames);
    return host;
}

std::vector<std::string> reforgerDocumentsFolders(const ReforgerHost& host) {
    std::vector<std::string> folders;
    if (host.documentsKnown) folders.push_back(host.documents);
    for (const std::string& library : host.steamLibraries) folders.push_back(library + kProtonDocuments);
    return folders;
}

bool readTextFile(const std::string& path, std::string& text) {
    if (plat::readFileCapped(path, kMaxSettingsBytes, text) == plat::ReadResult::Ok) return true;
    text.clear();
    return false;
}

ReforgerSettings locateReforgerSettings(const ReforgerHost& host) {
    ReforgerSettings settings;
    // Every profile of every folder competes on its settings file's age; the shared file
    // outside the profiles is only the last resort.
    std::string best, shared;
    int64_t bestTime = 0;
    for (const std::string& documents : reforgerDocumentsFolders(host)) {
        const std::string base = documents + kSaveFolder;
        for (const plat::FileEntry& entry : plat::findFiles(base + "\\app1874880_user*")) {
            if (!entry.isFolder) continue;
            const std::string candidate = base + "\\" + entry.name + kSettingsFile;
            plat::FileAttributes attributes;
            if (!plat::fileAttributes(candidate, &attributes)) continue;
            if (best.empty() || attributes.lastWriteTime > bestTime) {
                best = candidate;
                bestTime = attributes.lastWriteTime;
            }
        }
        if (shared.empty() && plat::fileAttributes(base + kSettingsFile)) shared = base + kSettingsFile;
    }
    if (best.empty()) best = shared;
    if (best.empty()) return settings;

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

ReforgerSettings locateReforgerSettings(const std::string& documentsFolder) {
    ReforgerHost host;
    host.documentsKnown = true;
    host.documents = documentsFolder;
    return locateReforgerSettings(host);
}

ReforgerSettings locateReforgerSettings() { return locateReforgerSettings(machineReforgerFolders()); }

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
    plat::FileAttributes existing;
    const bool backedUp = plat::fileAttributes(path + kBackupSuffix, &existing) && existing.isFile;
    if (!backedUp && !makeBackup(ops, path, text)) {
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
    const ReforgerSettings settings = locateReforgerSettings(host);
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
    app.reforger = locateReforgerSettings(host);
}

void applyToReforger(App& app, int32_t gameIndex, double cm360) {
    applyToReforger(app, gameIndex, cm360, machineReforgerHost());
}
