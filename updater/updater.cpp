#include "updater/updater.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <climits>
#include <ctime>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/base/atomic_file.h"
#include "platform/base/files.h"
#include "platform/base/text.h"
#include "platform/system/exe.h"
#include "platform/system/hash.h"
#include "platform/system/net.h"
#include "updater/steps.h"

namespace updater {
namespace {

// No update server is published for this build yet, so there are no built-in manifest
// addresses: without --update-manifest the check ends at once and offers nothing, rather
// than asking an address nobody here controls for an executable to run.
const char* const kDefaultManifestUrl = "";
const char* const kFallbackManifestUrl = "";

const char* const kMsgDownloadFailed = "Download failed - check your internet connection and try again.";
const char* const kMsgNotVerified = "The download didn't pass verification, so nothing was changed.";
const char* const kMsgNotInstalled = "Couldn't install the update - your current version is unchanged.";
const char* const kMsgNotNewer = "There is no newer version to install.";
const char* const kMsgStopped = "The update was stopped.";

// How long the exit waits for an update thread to stop its download or finish a swap.
constexpr int kExitWaitMs = 2000;

// Lives for the whole process and is never destroyed: the detached threads may still use it
// while the program ends.
struct State {
    std::mutex updateMutex;
    std::string statusMessage;
    std::atomic<int> installState{UpdateIdle};
    std::atomic<bool> checkFinished{false};
    UpdateInfo latestInfo;
    std::string manifestOverride;
    // Taken before main runs: once the install has moved the file aside, the system
    // reports the new name, and a second install would work on that one.
    std::string startupExePath = plat::runningExecutablePath();
    std::string exePathForTesting;
    bool launchAfterInstall = true;
    ExitControl exit;
    // The profile's hand-over to the new version (under handOverMutex).
    std::mutex handOverMutex;
    bool handsOverProfile = false;
    bool profileAskedFor = false;
    bool profileGiven = false;
};

State& state() {
    static State* s = new State;
    return *s;
}

// The state (and with it the executable's path) is made before main runs.
[[maybe_unused]] State& stateAtLoad = state();

void setUpdateFailed(const std::string& message) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.updateMutex);
    s.statusMessage = message;
    s.installState.store(UpdateFailed);
}

std::string executablePath() {
    const State& s = state();
    return s.exePathForTesting.empty() ? s.startupExePath : s.exePathForTesting;
}

// A thread's stay inside a download or a swap, as the exit sees it. Entering fails once the
// exit has begun.
class ExitScope {
public:
    explicit ExitScope(ExitControl* control) : control_(control) {
        if (!control_) return;
        std::lock_guard<std::mutex> lock(control_->mutex);
        if (control_->stop.load()) {
            refused_ = true;
            return;
        }
        ++control_->busy;
    }
    ~ExitScope() {
        if (!control_ || refused_) return;
        std::lock_guard<std::mutex> lock(control_->mutex);
        for (const std::string& path : files_) forget(path);
        if (swapping_) --control_->swaps;
        --control_->busy;
        control_->changed.notify_all();
    }
    ExitScope(const ExitScope&) = delete;
    ExitScope& operator=(const ExitScope&) = delete;

    bool refused() const { return refused_; }
    bool stopped() const { return control_ && control_->stop.load(); }
    const std::atomic<bool>* stopFlag() const { return control_ ? &control_->stop : nullptr; }

    // A file being written that the exit must delete.
    void watchFile(const std::string& path) {
        if (!control_) return;
        std::lock_guard<std::mutex> lock(control_->mutex);
        control_->partialFiles.push_back(path);
        files_.push_back(path);
    }
    // The file is no longer partial, and the swap begins: the exit waits for it to end.
    // False when the exit has begun meanwhile: the caller then deletes it and goes no further.
    bool settle(const std::string& path) {
        if (!control_) return true;
        std::lock_guard<std::mutex> lock(control_->mutex);
        forget(path);
        files_.erase(std::remove(files_.begin(), files_.end(), path), files_.end());
        if (control_->stop.load()) return false;
        swapping_ = true;
        ++control_->swaps;
        return true;
    }

private:
    void forget(const std::string& path) {
        auto& list = control_->partialFiles;
        auto at = std::find(list.begin(), list.end(), path);
        if (at != list.end()) list.erase(at);
    }

    ExitControl* control_;
    bool refused_ = false;
    bool swapping_ = false;
    std::vector<std::string> files_;
};

plat::DownloadOptions downloadOptions(uint64_t maxBytes, const ExitScope& scope) {
    plat::DownloadOptions options;
    options.maxBytes = maxBytes;
    options.progress = downloadProgressRule();
    options.stop = scope.stopFlag();
    return options;
}

// The executable's own file name ("Tarvion.exe" on Windows, "tarvion" on Linux), so the
// message names the file the player can find.
std::string noPermissionMessage(const std::string& exePath) {
    const size_t cut = exePath.find_last_of("/\\");
    const std::string name = cut == std::string::npos ? exePath : exePath.substr(cut + 1);
    return "Couldn't replace " + name +
           " (no permission in this folder?). Move Tarvion to your Desktop or Documents and try again.";
}

enum class IntRead { None, Read, TooBig };

// One "%d" of scanf: leading white space, an optional sign, digits. None when no digit;
// TooBig when the number does not fit an int (scanf's behaviour is undefined there).
IntRead readInt(const std::string& text, size_t& pos, int& out) {
    size_t i = pos;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return IntRead::None;
    long long value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        // Past INT_MIN's magnitude the value stops growing: it is too big either way.
        if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return IntRead::TooBig;
    out = static_cast<int>(value);
    pos = i;
    return IntRead::Read;
}

void checkThread(std::string overrideUrl) {
    State& s = state();
    try {
        std::string text;
        if (fetchManifest(overrideUrl, kDefaultManifestUrl, kFallbackManifestUrl,
                          static_cast<int64_t>(std::time(nullptr)), text, &s.exit)) {
            UpdateInfo info = parseManifest(text);
            std::lock_guard<std::mutex> lock(s.updateMutex);
            s.latestInfo = info;
        }
    } catch (const std::exception&) {
        // Out of memory or the like: no offer, as for any other failed check.
    }
    s.checkFinished.store(true);
}

void installThread(UpdateInfo info, std::string exePath, bool launch) {
    InstallOutcome outcome;
    try {
        outcome = installUpdate(info, exePath, launch, &state().exit);
    } catch (const std::exception&) {
        outcome.state = UpdateFailed;
        outcome.message = kMsgNotInstalled;
    }
    if (outcome.state == UpdateInstalled) {
        State& s = state();
        {
            std::lock_guard<std::mutex> lock(s.updateMutex);
            s.statusMessage = outcome.message;
        }
        s.installState.store(UpdateInstalled);
    } else {
        setUpdateFailed(outcome.message);
    }
}

}  // namespace

// ---- check ----

void setManifestUrl(const std::string& url) { state().manifestOverride = url; }

bool hasManifestSource() {
    return std::string(kDefaultManifestUrl).size() > 0 || !state().manifestOverride.empty();
}

void checkAsync() {
    State& s = state();
    if (!hasManifestSource()) {
        s.checkFinished.store(true);
        return;
    }
    try {
        std::thread(checkThread, s.manifestOverride).detach();
    } catch (const std::exception&) {
        // No thread, no check: finished with nothing found.
        s.checkFinished.store(true);
    }
}

bool updateCheckFinished() { return state().checkFinished.load(); }

UpdateInfo getUpdateInfo() {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.updateMutex);
    return s.latestInfo;
}

std::string extractManifestValue(const std::string& text, const std::string& key) {
    const std::string needle = "\"" + key + "\"";
    size_t at = text.find(needle);
    if (at == std::string::npos) return std::string();
    size_t colon = text.find(':', at + needle.size());
    if (colon == std::string::npos) return std::string();
    size_t quote = text.find('"', colon);
    if (quote == std::string::npos) return std::string();
    std::string value;
    for (size_t i = quote + 1; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            value += text[i] == 'n' ? '\n' : text[i];
        } else {
            value += text[i];
        }
    }
    return value;
}

VersionTriple parseVersion(const std::string& text) {
    VersionTriple v;
    size_t pos = 0;
    int* const parts[] = {&v.major, &v.minor, &v.patch};
    for (int k = 0; k < 3; ++k) {
        if (k > 0) {
            if (pos >= text.size() || text[pos] != '.') return v;
            ++pos;
        }
        const IntRead read = readInt(text, pos, *parts[k]);
        if (read == IntRead::TooBig) return VersionTriple{0, 0, 0, false};
        if (read == IntRead::None) return v;
    }
    return v;
}

bool isNewerVersion(const std::string& remote, const std::string& current) {
    VersionTriple r = parseVersion(remote), c = parseVersion(current);
    // A number that does not fit is no version at all, never a very large one.
    if (!r.valid || !c.valid) return false;
    if (r.major != c.major) return r.major > c.major;
    if (r.minor != c.minor) return r.minor > c.minor;
    return r.patch > c.patch;
}

std::string withCacheBuster(const std::string& location, int64_t now) {
    if (location.compare(0, 5, "file:") == 0) return location;
    return location + (location.find('?') == std::string::npos ? "?t=" : "&t=") + std::to_string(now);
}

UpdateInfo parseManifest(const std::string& text) {
    UpdateInfo info;
    info.version = extractManifestValue(text, "version");
    info.url = extractManifestValue(text, "url");
    info.sha256 = extractManifestValue(text, "sha256");
    info.notes = extractManifestValue(text, "notes");
    info.available = !info.version.empty() && !info.url.empty() && isNewerVersion(info.version, kVersion);
    return info;
}

bool fetchManifest(const std::string& overrideUrl, const std::string& defaultUrl,
                   const std::string& fallbackUrl, int64_t now, std::string& text, ExitControl* control) {
    text.clear();
    ExitScope scope(control);
    if (scope.refused()) return false;
    const std::string temp = plat::makeTempFile("", "qxu");
    if (temp.empty()) return false;
    scope.watchFile(temp);
    const plat::DownloadOptions options = downloadOptions(kManifestMaxBytes, scope);
    const std::string location = overrideUrl.empty() ? defaultUrl : overrideUrl;
    bool ok = plat::downloadToFile(withCacheBuster(location, now), temp, options);
    // The fallback stands in for the built-in location only, never for a given one.
    if (!ok && overrideUrl.empty() && !fallbackUrl.empty() && !scope.stopped())
        ok = plat::downloadToFile(withCacheBuster(fallbackUrl, now), temp, options);
    if (ok) plat::readFileCapped(temp, kManifestMaxBytes, text);  // unreadable reads as empty
    plat::deleteFile(temp);
    return ok;
}

// ---- install ----

int updateState() { return state().installState.load(); }

std::string updateMessage() {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.updateMutex);
    return s.statusMessage;
}

void installAsync() {
    State& s = state();
    if (s.installState.load() == UpdateInstalling) return;
    s.installState.store(UpdateInstalling);
    UpdateInfo info;
    {
        std::lock_guard<std::mutex> lock(s.updateMutex);
        info = s.latestInfo;
    }
    try {
        std::thread(installThread, info, executablePath(), s.launchAfterInstall).detach();
    } catch (const std::exception&) {
        setUpdateFailed(kMsgNotInstalled);
    }
}

bool verifyDownload(const std::string& path, const std::string& sha256) {
    plat::FileAttributes attributes;
    if (!plat::fileAttributes(path, &attributes) || attributes.isFolder) return false;
    if (attributes.size <= kExecutableMinBytes) return false;
    const std::string magic = plat::executableMagic();
    std::string head;
    if (plat::readFileCapped(path, magic.size(), head) == plat::ReadResult::Failed) return false;
    if (head != magic) return false;
    // Without a published hash there is nothing to tell a good file from a tampered one.
    if (sha256.empty()) return false;
    const std::string digest = plat::sha256File(path);
    return !digest.empty() && digest == plat::asciiLowered(sha256);
}

namespace {

// Moves the current version back to its name. A program just ended may still hold the file
// there for a while (Windows keeps its image until the process is gone): tried again until
// the platform's wait for that is over.
bool putBack(const InstallFileOps& ops, const std::string& oldFile, const std::string& exePath) {
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::milliseconds(plat::endedProgramFileWaitMs());
    for (;;) {
        if (ops.replaceFile(oldFile, exePath)) return true;
        if (std::chrono::steady_clock::now() - start >= limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

}  // namespace

InstallOutcome installUpdate(const UpdateInfo& info, const std::string& exePath, bool launch,
                             ExitControl* control) {
    InstallOutcome out;
    out.state = UpdateFailed;
    // Never install what the check did not offer: the same or an older version.
    if (info.url.empty() || !isNewerVersion(info.version, kVersion)) {
        out.message = kMsgNotNewer;
        return out;
    }
    if (exePath.empty()) {
        out.message = kMsgNotInstalled;
        return out;
    }
    ExitScope scope(control);
    if (scope.refused()) {
        out.message = kMsgStopped;
        return out;
    }
    const std::string newFile = exePath + ".new";
    const std::string oldFile = exePath + ".old";
    plat::deleteFile(newFile);
    scope.watchFile(newFile);
    // A folder we cannot write to is a permission problem, not a network one: say so
    // before downloading anything.
    if (!plat::writeWholeFile(newFile, std::string())) {
        plat::deleteFile(newFile);
        out.message = noPermissionMessage(exePath);
        return out;
    }
    if (!plat::downloadToFile(info.url, newFile, downloadOptions(kExecutableMaxBytes, scope))) {
        plat::deleteFile(newFile);
        out.message = scope.stopped() ? kMsgStopped : kMsgDownloadFailed;
        return out;
    }
    if (!verifyDownload(newFile, info.sha256)) {
        plat::deleteFile(newFile);
        out.message = kMsgNotVerified;
        return out;
    }
    // From here on the exit waits for the swap instead of cutting it off.
    if (!scope.settle(newFile)) {
        plat::deleteFile(newFile);
        out.message = kMsgStopped;
        return out;
    }
    const InstallFileOps& ops = installFileOps();
    // On the disk before it takes the program's name: a power cut after the swap must not
    // leave an empty program there.
    if (!plat::markExecutable(newFile) || !ops.flush(newFile)) {
        plat::deleteFile(newFile);
        out.message = kMsgNotInstalled;
        return out;
    }
    // The new version must find the profile free when it starts, and this copy must not
    // write it while the new one may: it is saved and let go of first.
    if (launch && !ops.letGoOfProfile(control)) {
        plat::deleteFile(newFile);
        out.message = kMsgStopped;
        return out;
    }
    plat::deleteFile(oldFile);
    if (!ops.keepAside(exePath, oldFile)) {
        plat::deleteFile(newFile);
        out.message = noPermissionMessage(exePath);
        return out;
    }
    // Nothing is left under the executable's name: say where the program went.
    const auto strandedMessage = [&](const std::string& what) {
        return what + ", and putting the current version back failed too: it is now \"" + oldFile +
               "\". Rename it back to \"" + exePath + "\" to start Tarvion again.";
    };
    if (!ops.replaceFile(newFile, exePath)) {
        // Where the current version kept its name (Linux), only the second name goes.
        if (plat::fileAttributes(exePath)) {
            plat::deleteFile(oldFile);
            out.message = kMsgNotInstalled;
        } else {
            out.message = putBack(ops, oldFile, exePath) ? kMsgNotInstalled
                                                           : strandedMessage("Couldn't install the update");
        }
        return out;
    }
    // A new version that does not start, or fails before it is up (a missing library, a
    // crash, no window, no OpenGL 3.3, no shaders), must not stay in place: the next start
    // would fail too. The current one goes back (over it) and stays open.
    if (launch && !ops.launch(exePath, control ? &control->stop : nullptr)) {
        const bool back = putBack(ops, oldFile, exePath);
        if (scope.stopped())
            out.message = back ? kMsgStopped : strandedMessage("The update was stopped");
        else
            out.message = back ? "Tarvion " + info.version + " would not start, so your current version was put back."
                               : strandedMessage("Tarvion " + info.version + " would not start");
        return out;
    }
    out.state = UpdateInstalled;
    out.message = "Updated to " + info.version + " - restarting...";
    return out;
}

int& successorStartWaitMs() {
    static int waitMs = kSuccessorStartWaitMs;
    return waitMs;
}

namespace {

// Starts the new version as this program's successor; true once it has said that it is up.
bool startAndHearFrom(const std::string& path, const std::atomic<bool>* stop) {
    return plat::launchSuccessor(path, successorStartWaitMs(), stop) == plat::SuccessorStart::Started;
}

}  // namespace

InstallFileOps& installFileOps() {
    static InstallFileOps ops{waitForProfileHandOver, plat::syncFile, plat::keepExecutableAside, plat::moveExecutable,
                              startAndHearFrom};
    return ops;
}

bool waitForProfileHandOver(ExitControl* control) {
    State& s = state();
    std::unique_lock<std::mutex> lock(s.handOverMutex);
    if (!s.handsOverProfile) return true;
    s.profileAskedFor = true;
    s.profileGiven = false;
    // The main thread answers within a frame; only the exit (on that same thread) keeps it
    // from answering at all.
    while (!s.profileGiven) {
        if (control && control->stop.load()) break;
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        lock.lock();
    }
    const bool given = s.profileGiven;
    s.profileAskedFor = false;
    s.profileGiven = false;
    return given;
}

void handOverProfileOnInstall(bool on) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.handOverMutex);
    s.handsOverProfile = on;
}

bool profileWanted() {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.handOverMutex);
    return s.profileAskedFor && !s.profileGiven;
}

void profileLetGo() {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.handOverMutex);
    if (s.profileAskedFor) s.profileGiven = true;
}

plat::DownloadProgressRule& downloadProgressRule() {
    static plat::DownloadProgressRule rule;
    return rule;
}

void stopForExit(ExitControl& control, int waitMs) {
    std::unique_lock<std::mutex> lock(control.mutex);
    control.stop.store(true);
    // A download blocked in the network may not notice the stop for a while, and the
    // process may end before it does: its file goes now (on Windows it is opened for that).
    for (const std::string& path : control.partialFiles) plat::deleteFile(path);
    control.changed.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return control.busy == 0; });
    // A swap ends by itself, soon once stopped; until then the current version may not be
    // back at its name.
    control.changed.wait_for(lock, std::chrono::milliseconds(kSwapExitWaitMs), [&] { return control.swaps == 0; });
}

void stopAtExit() { stopForExit(state().exit, kExitWaitMs); }

std::string startupExecutablePath() { return state().startupExePath; }

void deleteOldExeAt(const std::string& exePath) {
    if (!exePath.empty()) plat::deleteFile(exePath + ".old");
}

void deleteOldExe() { deleteOldExeAt(executablePath()); }

void setPolledStateForTesting(bool checkFinished, const UpdateInfo& info, int installState,
                              const std::string& message) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.updateMutex);
    s.latestInfo = info;
    s.statusMessage = message;
    s.installState.store(installState);
    s.checkFinished.store(checkFinished);
}

void setExecutablePathForTesting(const std::string& path, bool launch) {
    State& s = state();
    s.exePathForTesting = path;
    s.launchAfterInstall = launch;
}

}  // namespace updater
