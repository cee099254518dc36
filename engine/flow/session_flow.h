#pragma once
// The per-frame session flow: what the main loop calls once a frame, and the pieces of it
// the tests and the shell reach directly.
#include <cstdint>
#include <string>

#include "core/profile/history.h"
#include "engine/kernel/analysis.h"
#include "engine/kernel/rng.h"

struct App;
struct TestSession;

// Pause before the next round: 3.5 s, 5 s when stage 2 has just been laid out, 4 s between
// practice rounds.
inline constexpr double kRoundPause = 3.5;
inline constexpr double kStageChangePause = 5.0;
inline constexpr double kPracticePause = 4.0;
// Resamples of the final analysis.
inline constexpr int32_t kFinalResamples = 400;
// Debris particles per hit.
inline constexpr int32_t kDebrisPerHit = 18;

// One frame: debris, menu clock, gun sway and recoil, scope zoom, and on the round screen
// the running round (under automation played by the simulated aimer in 1 ms steps that
// advance App.now), its events, the countdown ticks and the end-of-round sequence.
void updateFrame(App& app, double dt);
// Turns the round's queued events into sounds and hit debris, then empties the queue.
void drainRoundEvents(App& app);

// The one generator of the hit debris, seeded 0xC0FFEE at program start and never reseeded.
Rng& debrisRng();

// Results screen note when a Sens Check could not be analysed and the previous result stays.
inline constexpr const char* kSensCheckFailedNotice =
    "This Sens Check could not be analysed; your previous result is shown.";
// The same when there was no previous result to fall back on.
inline constexpr const char* kSensCheckFailedNoResultNotice = "This Sens Check could not be analysed.";

// The round about to be recorded is a scored one (not the warm-up).
bool plannedRoundScored(const TestSession& session);

// The end-of-round sequence: result stored, XP, score log, recording, and either the pause
// before the next round or the session's analysis and result screen.
void finishRound(App& app);

// The entry for a finished Sens Check: confirmed when the new recommendation lies within
// 3 % of the cm/360 it started from.
SensCheckEntry sensCheckEntry(double beforeCm360, const AnalysisResult& analysis);
// Ends a finder or Sens Check session with its final analysis (its cm/360 values taken to
// 0.1, as they are shown): the result on hand, the history row and report for a new valid
// result, the results screen and its cue.
void concludeTestSession(App& app, AnalysisResult analysis);
// Ends a Scope Check: the scope multipliers (and the settings) from a valid analysis, then
// the Scope Check result screen.
void concludeScopeCheck(App& app, AnalysisResult analysis);
