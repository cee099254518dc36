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

// Unattended runs do not depend on the user's profile: after loadSettings every setting goes
// back to its default and the mode's own values are forced.
void applyUnattendedResets(App& app);

// The scan thread (its body is detectionThreadMain) and its end.
void startDetectionThread(App& app);
void joinDetectionThread(App& app);
