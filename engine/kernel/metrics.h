#pragma once
// The figures of one round that the analysis fits and the player sees.
#include <cstdint>
#include <vector>

#include "engine/kernel/drill_round.h"
#include "engine/kernel/rng.h"

struct RoundMetrics {
    double cm360 = 0;
    int32_t roundNumber = 0;  // set by the caller
    int32_t stage = 0;        // set by the caller
    double flickScore = 0;    // throughput x sqrt(accuracy)
    double trackScore = 0;    // 0.7 on-target + 0.3 near credit
    double trackOnTarget = 0;
    double performance = 0;   // by normaliseScores
    double flickPct = 0;      // by normaliseScores
    double trackPct = 0;      // by normaliseScores
    double medianLogLanding = 0;
    int32_t landingCount = 0;
    double overflickPct = 0;
    double underflickPct = 0;
    double cleanPct = 0;
    double accuracy = 0;
    double avgKillMs = 0;
    double avgReactionMs = 0;
    double meanErrorDeg = 0;
    double throughput = 0;  // bits per second
    int32_t kills = 0;
    int32_t shots = 0;
    int32_t targetCount = 0;
};

// With an rng the figures come from a bootstrap resample of the scored targets and the
// segments (drawn in that order), and the generator advances.
RoundMetrics roundMetrics(const RoundResult& result, Rng* rng = nullptr);

// flickPct, trackPct (percent of the list's mean) and performance, in place.
void normaliseScores(std::vector<RoundMetrics>& list, double flickWeight, double trackWeight);

struct WeightedStats {
    bool ok = false;
    double value = 0;  // ln(cm/360) at which first flicks land on target
};
WeightedStats weightedStats(const std::vector<RoundMetrics>& list, double lowLog, double highLog);

// The value of rank n/2 in ascending order (the upper median); 0 for an empty list.
double medianOfVector(std::vector<double> values);
