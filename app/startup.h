#pragma once
// Start-up steps between the command line and the window.
#include <string>

struct App;

// An unattended run (--selftest, --gallery, --gif, --banner or --inputtest) never waits for
// the user: no quick tour, no update check, no message box.
bool isUnattended(const App& app);

// Chooses App.dataDir, and for unattended runs App.shotsDir, and creates the folder with any
// missing parents. --inputtest FILE uses FILE + "_data" for both; automation uses the output
// folder ("." when none is given) and its "data" subfolder; otherwise the user's data folder.
// False when the folder could not be made (start-up goes on; files then fail silently).
bool chooseDataFolder(App& app);

// The exit code of a run that got through its main loop: 0, or 1 after an unattended run
// that failed (App.automationFailure) or could not write some of its files
// (App.unwrittenFiles); each reason goes to stderr.
int finalExitCode(const App& app);

// For an unattended run: "" when its output folder and data folder (under --inputtest: the
// data folder and the report's folder) exist and take new files; else what is wrong, for the
// player. Such a run cannot leave what it was asked for, so start-up ends there.
std::string unattendedOutputProblem(const App& app);

// True when a new file can be made in the folder.
bool folderTakesFiles(const std::string& folder);

// Unattended runs do not depend on the user's profile: after loadSettings every setting goes
// back to its default and the mode's own values are forced.
void applyUnattendedResets(App& app);

// The UI scale: --scale when given (above 0), else the desktop's display scale but never
// below 1.
float startupUiScale(float scaleOverride, float desktopScale);

// The scan thread (its body is detectionThreadMain) and its end.
void startDetectionThread(App& app);
void joinDetectionThread(App& app);
