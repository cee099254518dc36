#pragma once
#include <string>

namespace updater {

// Result of the update check.
struct UpdateInfo {
    bool available = false;
    std::string version;
    std::string url;
    std::string sha256;
    std::string notes;
};

// Install state: 0 idle, 1 installing, 2 installed, 3 failed.
enum UpdateState : int { UpdateIdle = 0, UpdateInstalling = 1, UpdateInstalled = 2, UpdateFailed = 3 };

// The program's own version.
inline constexpr const char* kVersion = "2.1.1";

}  // namespace updater

namespace updater {

// The manifest location given on the command line; call before checkAsync.
void setManifestUrl(const std::string& url);
// True when there is any manifest location to ask (built-in or given).
bool hasManifestSource();
// Starts the background check of the manifest, once per run; returns at once.
void checkAsync();

// What the home screen polls. The check's result is final once updateCheckFinished is true.
bool updateCheckFinished();
UpdateInfo getUpdateInfo();
int updateState();
std::string updateMessage();
// Starts downloading, verifying and swapping in the offered version; a no-op while one runs.
void installAsync();

// The profile's hand-over to the new version. A run that holds a player's profile calls
// handOverProfileOnInstall once at its start (tests turn it off again). An install then asks for the profile before it
// swaps anything: profileWanted turns true, and the main thread saves the profile, lets go of
// it and calls profileLetGo. From then on the main thread writes nothing to the profile: the
// install ends Installed (the new version is up and has the profile: quit without writing) or
// Failed (the current version is back: take the profile back).
void handOverProfileOnInstall(bool on = true);
bool profileWanted();
void profileLetGo();

// Deletes the previous executable an earlier update left beside this one.
void deleteOldExe();

// At the program's exit: a download of the check or the install is stopped and its partial
// file deleted; a swap under way is let finish (both waited for a short while at most).
void stopAtExit();

// The string value of "key" in a manifest text, found by a text search rather than a JSON
// parser; "" when the key or its value is missing.
std::string extractManifestValue(const std::string& text, const std::string& key);

// A version text read as "%d.%d.%d" would be: components not read are 0. A component whose
// number does not fit an int makes the whole text no valid version (all 0, valid false).
struct VersionTriple {
    int major = 0;
    int minor = 0;
    int patch = 0;
    bool valid = true;
};
VersionTriple parseVersion(const std::string& text);
// True when `remote` is a later version than `current` (an equal one is not, and neither is
// one that is not valid).
bool isNewerVersion(const std::string& remote, const std::string& current);

}  // namespace updater
