#pragma once
// One test: the rounds to play at hidden sensitivities, the results recorded so far, and
// the step from stage 1 (a spread around the player's cm/360) to stage 2 (a tighter spread
// around the best stage-1 region). A Sens Check or Scope Check rebuilds a session from
// stored results plus six check rounds.
#include <cstdint>
#include <vector>

#include "engine/kernel/analysis.h"
#include "engine/kernel/drill_round.h"

// One of the three test lengths.
struct TestPlan {
    std::vector<double> stageOne;  // multipliers of the start cm/360
    std::vector<double> stageTwo;  // multipliers of the stage-2 centre
    int32_t extraTargets = 0;
    int32_t flickTargets = 0;
    double leadIn = 0;        // s
    double trackSeconds = 0;  // s
};

enum TestLength : int32_t { TestQuick = 0, TestStandard = 1, TestThorough = 2 };

struct SessionConfig {
    double dpi = 800;
    double startCm360 = 35;  // stage-1 multipliers apply to it
    double hFov = 103;
    double vFov = 70.5;
    int32_t length = TestStandard;
    double flickWeight = 0.5;
    double trackWeight = 0.5;
    int32_t style = 1;
    double zoom = 1;  // 4 in the Scope Check
    double trackSpeed = 1.3;
    bool warmUp = true;  // one unscored round first
    uint64_t seed = 1;
};

enum SessionStage : int32_t { StageWarmUp = 0, StageOne = 1, StageTwo = 2, StageCheck = 3 };

struct SessionRound {
    double cm360 = 35;
    int32_t stage = StageOne;
};

struct TestSession {
    SessionConfig config;
    std::vector<SessionRound> rounds;  // play order
    std::vector<RoundResult> results;  // every recorded scored round
    std::vector<int32_t> resultStages;  // stage of each results entry
    std::vector<RoundResult> stageOneResults;
    int32_t nextRound = 0;  // index into rounds of the round to play next
    int32_t stageOneLeft = 0;
    int32_t plannedTotal = 0;
    double stageTwoCentre = 0;
    bool rebuilt = false;  // a Sens Check or Scope Check session
    int32_t seedOffset = 0;  // added to the round index in the round seed
};

// Length 0 Quick, 2 Thorough, anything else Standard.
const TestPlan& testPlan(int32_t length);

// A fresh finder session: optional warm-up, then the stage-1 rounds shuffled.
void startSession(TestSession& session, const SessionConfig& config);
// Records the round just played. True exactly when this laid out stage 2.
// `curvaturePull` is the analysis tuning knob (see analysis.h); callers keep the default.
bool recordRound(TestSession& session, const RoundResult& result,
                 double curvaturePull = kCurvaturePullWeight);
// The session of a Sens Check or Scope Check: stored rounds plus six check rounds
// around `centre`.
void rebuildSession(TestSession& session, const SessionConfig& config, double centre,
                    const std::vector<RoundResult>& storedResults,
                    const std::vector<int32_t>& storedStages);

// Scored rounds the session will have in all (stage-2 rounds counted before they exist).
int32_t plannedRounds(const TestSession& session);
// Scored rounds already played.
int32_t scoredRoundsDone(const TestSession& session);

// The analysis of everything recorded, with the session's weights and its own seed.
AnalysisResult runAnalysis(const TestSession& session, int32_t resamples,
                           double curvaturePull = kCurvaturePullWeight);
