#pragma once
// The steps behind the check and the install, for the updater's own threads and its tests.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/system/net.h"
#include "updater/updater.h"

namespace updater {

inline constexpr uint64_t kManifestMaxBytes = 1u << 20;
inline constexpr uint64_t kExecutableMaxBytes = 512ull << 20;
inline constexpr uint64_t kExecutableMinBytes = 500000;

// The location with a cache-buster ("?t=" or "&t=" and the time), file: locations as they are.
std::string withCacheBuster(const std::string& location, int64_t now);

// The four values of a manifest and whether they offer a newer version than kVersion.
UpdateInfo parseManifest(const std::string& text);

// What the program's exit must settle with the updater's detached threads: it stops their
// downloads and deletes the files they were writing, and lets a swap under way finish.
struct ExitControl {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> partialFiles;  // downloads being written (under mutex)
    int busy = 0;                           // threads inside a download or a swap (under mutex)
    int swaps = 0;                          // of those, the ones inside a swap (under mutex)
};

// The program's exit: stop every download, delete what they wrote, and wait up to waitMs
// for the threads to leave (a download blocked in the network is not waited for longer). A
// swap is waited for until it is done, up to kSwapExitWaitMs: once stopped, it calls off the
// new version's start and puts the current version back, and that must not be cut off.
void stopForExit(ExitControl& control, int waitMs);
inline constexpr int kSwapExitWaitMs = 60000;

// The progress rule of the updater's downloads; tests shorten it.
plat::DownloadProgressRule& downloadProgressRule();

// Downloads the manifest into a temporary file and reads it: the override alone when one is
// given, else the default location and then the fallback. The temporary file is deleted on
// every path. False when no manifest could be had (or the exit stopped it).
bool fetchManifest(const std::string& overrideUrl, const std::string& defaultUrl,
                   const std::string& fallbackUrl, int64_t now, std::string& text,
                   ExitControl* control = nullptr);

// The size, executable-header and SHA-256 tests of a downloaded executable.
bool verifyDownload(const std::string& path, const std::string& sha256);

struct InstallOutcome {
    int state = UpdateFailed;  // UpdateInstalled or UpdateFailed
    std::string message;
};

// The whole install against the executable at exePath: download to exePath + ".new", verify,
// flush it, keep the current one as exePath + ".old", swap, and start the new one when
// `launch`. Installed only when all of it worked and the new version has said that it runs;
// else Failed with the reason. A new version that does not start, or ends or stays silent
// before it says so, is swapped back out again. With a control, the exit can
// stop the download (nothing is swapped then).
InstallOutcome installUpdate(const UpdateInfo& info, const std::string& exePath, bool launch,
                             ExitControl* control = nullptr);

void deleteOldExeAt(const std::string& exePath);

// How long the install waits for the new version to say that it runs before it counts as
// one that will not start (a freshly downloaded program may be scanned before it runs).
inline constexpr int kSuccessorStartWaitMs = 30000;
// The wait the install uses; tests shorten it.
int& successorStartWaitMs();

// How the install moves the executable and its companions, hands the profile over and starts
// the new one. The defaults are the platform's and the updater's own; tests swap them to act
// out a folder that refuses a move or a build that will not start.
struct InstallFileOps {
    // Before anything is swapped: the running program lets go of its profile for the new
    // version (waitForProfileHandOver). False when the exit called it off.
    bool (*letGoOfProfile)(ExitControl* control);
    // Flushes the new file to the disk (plat::syncFile).
    bool (*flush)(const std::string& path);
    // Puts the running executable at the old file's name too (plat::keepExecutableAside).
    bool (*keepAside)(const std::string& exe, const std::string& aside);
    bool (*replaceFile)(const std::string& from, const std::string& to);
    // Starts the new version; true once it has said that it is up. *stop calls the wait off.
    bool (*launch)(const std::string& path, const std::atomic<bool>* stop);
};
InstallFileOps& installFileOps();

// The default letGoOfProfile: when the program hands its profile over (handOverProfileOnInstall),
// asks the main thread for it and waits until it has let go (profileLetGo) or the exit stops
// the install; true at once otherwise.
bool waitForProfileHandOver(ExitControl* control);

// Tests point the install and deleteOldExe at a copy instead of the running executable.
void setExecutablePathForTesting(const std::string& path, bool launch);

// Tests put what the home screen polls in a known state: whether the check has finished,
// what it found, the install state and its message. With defaults it is as at start-up.
void setPolledStateForTesting(bool checkFinished = false, const UpdateInfo& info = {},
                              int installState = UpdateIdle, const std::string& message = "");

// The running executable's path as it was when the program started: once the install has
// moved the file aside, the system reports the new name.
std::string startupExecutablePath();

}  // namespace updater
