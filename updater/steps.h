#pragma once
// The steps behind the check and the install, for the updater's own threads and its tests.
#include <cstdint>
#include <string>

#include "updater/updater.h"

namespace updater {

inline constexpr uint64_t kManifestMaxBytes = 1u << 20;
inline constexpr uint64_t kExecutableMaxBytes = 512ull << 20;
inline constexpr uint64_t kExecutableMinBytes = 500000;

// The location with a cache-buster ("?t=" or "&t=" and the time), file: locations as they are.
std::string withCacheBuster(const std::string& location, int64_t now);

// The four values of a manifest and whether they offer a newer version than kVersion.
UpdateInfo parseManifest(const std::string& text);

// Downloads the manifest into a temporary file and reads it: the override alone when one is
// given, else the default location and then the fallback. The temporary file is deleted on
// every path. False when no manifest could be had.
bool fetchManifest(const std::string& overrideUrl, const std::string& defaultUrl,
                   const std::string& fallbackUrl, int64_t now, std::string& text);

// The size, executable-header and SHA-256 tests of a downloaded executable.
bool verifyDownload(const std::string& path, const std::string& sha256);

struct InstallOutcome {
    int state = UpdateFailed;  // UpdateInstalled or UpdateFailed
    std::string message;
};

// The whole install against the executable at exePath: download to exePath + ".new", verify,
// keep the current one as exePath + ".old", swap, and start the new one when `launch`.
// Installed only when all of it worked, the start included; else Failed with the reason.
InstallOutcome installUpdate(const UpdateInfo& info, const std::string& exePath, bool launch);

void deleteOldExeAt(const std::string& exePath);

// How the install moves the executable and its companions. The default is the platform's;
// tests swap it to act out a folder that refuses a move.
struct InstallFileOps {
    bool (*replaceFile)(const std::string& from, const std::string& to);
};
InstallFileOps& installFileOps();

// Tests point the install and deleteOldExe at a copy instead of the running executable.
void setExecutablePathForTesting(const std::string& path, bool launch);

// Tests put what the home screen polls in a known state: whether the check has finished,
// what it found, the install state and its message. With defaults it is as at start-up.
void setPolledStateForTesting(bool checkFinished = false, const UpdateInfo& info = {},
                              int installState = UpdateIdle, const std::string& message = "");

}  // namespace updater
