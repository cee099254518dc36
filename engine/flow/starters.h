#pragma once
// Starting each kind of session (Sensitivity Finder, practice, Sens Check, Scope Check),
// starting, pausing and resuming each round, and leaving the round screen. Every starter switches to the round
// screen, clears the hit debris, sets up the simulated aimer under automation, starts the
// first round and asks the shell to capture the mouse.
#include <cstdint>

struct App;

// Fixed session seeds of automated runs, so two runs play identical rounds.
inline constexpr uint64_t kFinderAutomationSeed = 20261116;
inline constexpr uint64_t kSensCheckAutomationSeed = 20261118;
inline constexpr uint64_t kScopeCheckAutomationSeed = 20261119;

// A Sensitivity Finder test for the current settings.
void startFinder(App& app);
// Practice rounds at cm360 (clamped to 6..200); `tutorial` is the first-run round.
void startPractice(App& app, double cm360, bool tutorial);
// Blind rounds around bestKnownCm360, pooled with the finder's rounds when the result on
// hand belongs to the current game; otherwise a fresh check for the current game.
void startSensCheck(App& app);
// Scoped rounds at a 4x zoom around the hip-fire cm/360 turned into a scoped one.
void startScopeCheck(App& app);
// The next round of the running session (also from SPACE and from resuming between rounds).
void startRound(App& app);
// Pausing a round on the round screen (the phase it left is kept, the mouse released), and
// resuming it: a round paused while playing starts again from its beginning, one paused
// between rounds goes on to the next round. Both do nothing off the round screen.
void pauseRound(App& app);
void resumeRound(App& app);
// "Run the full test again" on the results screen: the result's game, its recommendation
// as the sensitivity (cm/360 for a cm/360-only game) and its DPI become the profile, and the
// setup wizard opens on its Start page.
void startFullRetest(App& app);
// Back from the round screen: the mouse is released and the screen goes to where the
// session came from or to its result.
void leaveRound(App& app);

// The cm/360 a check starts from: the result on hand for the current game, else the newest
// history row of that game, else the current settings.
double bestKnownCm360(const App& app);
