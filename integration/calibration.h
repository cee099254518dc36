#pragma once
// Measuring a game's yaw in the game itself: the player turns full turns between two
// presses of F8 while the program counts raw horizontal mouse counts in the background.
#include <cstdint>

struct App;

// Opens the calibration screen for a catalogue game with no tries yet; for Arma Reforger
// the sensitivity in its settings file is taken (outside automation).
void enterCalibrate(App& app, int32_t gameIndex, int32_t returnScreen);

// F8, or the screen's Start/Stop button: starts counting, or stops and keeps the counts per
// turn as a try when they exceed 50 (round_end sound), else drops them (miss sound).
// Does nothing away from the calibration screen.
void onCalibrateHotkey(App& app);

// One raw mouse move's horizontal counts, signed; summed only while a measurement runs on
// the calibration screen. True when they were taken (the move belongs to the measurement).
bool onCalibrateCounts(App& app, int64_t dx);

struct CalibrationResult {
    int32_t tries = 0;
    double countsPerTurn = 0;  // mean of the tries
    double yaw = 0;            // degrees per count at sensitivity 1.0
    double cm360 = 0;          // at App.calSens and App.dpi
    double spread = 0;         // sample standard deviation of the tries (0 with one)
    double spreadPercent = 0;  // 100 spread / countsPerTurn
    bool inconsistent = false;  // spread above 2 % of the mean
    bool agreeing = false;      // two or more tries within 2 %
};

// The figures of the accepted tries at the current App.calSens; all 0 without tries.
CalibrationResult calibrationResult(const App& app);

// SAVE: stores the yaw (in the catalogue and App.reforgerYaw for a calibrated-yaw game, in
// App.customYaw for the typed-yaw one), adopts App.calSens when it is the main game, adds
// the game to the player's games, saves the settings, clears the tries and goes back.
// False (and nothing changes) without a usable try.
bool saveCalibration(App& app);
