#include "engine/metrics.h"

RoundMetrics roundMetrics(const RoundResult& result, Rng*) {
    RoundMetrics m;
    m.cm360 = result.config.cm360;
    return m;
}
void normaliseScores(std::vector<RoundMetrics>&, double, double) {}
WeightedStats weightedStats(const std::vector<RoundMetrics>&, double, double) { return {}; }
double medianOfVector(std::vector<double>) { return 0; }
