#pragma once
// Arma Reforger's settings file: found under Documents, or on Linux under the Documents of
// the game's Proton prefix (the newest profile), read for the mouse sensitivity and
// first-person field of view, and written with a new sensitivity in place, after a one-time
// backup, through a temporary file that then replaces it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/records/reforger_settings.h"

struct App;

// Where the file is looked for and what the checks before a write look at: the Documents
// folder, the Steam libraries whose Proton prefixes hold the game's own Documents (Linux),
// and the running programs.
struct ReforgerHost {
    bool documentsKnown = false;
    std::string documents;
    std::vector<std::string> steamLibraries;
    bool processesKnown = false;
    std::vector<std::string> processNames;
};
ReforgerHost machineReforgerHost();

// The Documents folders that may hold the game's profiles: the player's own (when known),
// then the one inside each Steam library's Proton prefix of the game.
std::vector<std::string> reforgerDocumentsFolders(const ReforgerHost& host);

// The newest profile's settings file among all those Documents folders, read; without any
// profile, the first shared settings file found, in that order.
ReforgerSettings locateReforgerSettings();
ReforgerSettings locateReforgerSettings(const ReforgerHost& host);
ReforgerSettings locateReforgerSettings(const std::string& documentsFolder);

// The whole file as raw bytes; false when it does not open, a read fails or it is too big
// to be a settings file (text is then empty).
bool readTextFile(const std::string& path, std::string& text);

// The number written after key: the key at the start of the text or after a tab, line feed
// or blank, then exactly one blank, then a run of 0-9 '-' '.' holding a digit and not
// followed by an exponent. pos and len give the run, value its number.
bool findNumberAfterKey(const std::string& text, const std::string& key, size_t& pos, size_t& len, double& value);

// "%.3f" with trailing zeros dropped down to one decimal (0.450 -> 0.45, 1.000 -> 1.0).
std::string reforgerNumberText(double sens);

// An executable name of the game itself (not its server or tools).
bool isReforgerProcess(const std::string& exeName);
bool isReforgerRunning();

// Puts sens into the file at path; message gets the text for the player. The file is only
// ever replaced whole, and only once a backup of the original exists beside it.
bool writeReforgerSens(const std::string& path, double sens, std::string& message);

// The slider range, the running-game check and the file search, then the write.
bool applyReforgerSens(double sens, std::string& message);
bool applyReforgerSens(double sens, std::string& message, const ReforgerHost& host);

// The results screen's "Set in game": a cm/360 as Reforger's sensitivity (two decimals)
// into its file; updates App.reforgerStatus, App.reforgerStatusOk and App.reforger.
void applyToReforger(App& app, int32_t gameIndex, double cm360);
void applyToReforger(App& app, int32_t gameIndex, double cm360, const ReforgerHost& host);

// How writeReforgerSens touches the disk. The defaults are the platform's; tests swap one
// to act out a disk that refuses a step.
struct ReforgerFileOps {
    // A file made afresh: the backup's copy beside its name, then the new text.
    bool (*writeFile)(const std::string& path, const std::string& bytes);
    bool (*replaceFile)(const std::string& from, const std::string& to);
};
ReforgerFileOps& reforgerFileOps();
