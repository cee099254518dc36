#include "engine/kernel/session.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/catalog/catalog.h"
#include "engine/kernel/rng.h"

namespace {

const TestPlan kQuick{{0.62, 0.79, 1.0, 1.27, 1.6}, {0.72, 1.0, 1.38}, 2, 12, 1.0, 9.0};
const TestPlan kStandard{{0.6, 0.77, 1.0, 1.3, 1.67}, {0.65, 0.8, 1.0, 1.25, 1.55}, 3, 16, 1.5, 12.0};
const TestPlan kThorough{{0.55, 0.67, 0.82, 1.0, 1.22, 1.49, 1.82},
                         {0.62, 0.72, 0.85, 1.0, 1.18, 1.38, 1.6},
                         3,
                         20,
                         1.5,
                         15.0};

// Neighbours this close would play the same speed twice in a row.
bool neighboursApart(const std::vector<SessionRound>& list) {
    for (std::size_t i = 1; i < list.size(); ++i) {
        if (std::fabs(list[i].cm360 - list[i - 1].cm360) <= 1e-9) return false;
    }
    return true;
}

}  // namespace

const TestPlan& testPlan(int32_t length) {
    if (length == TestQuick) return kQuick;
    if (length == TestThorough) return kThorough;
    return kStandard;
}

void startSession(TestSession& session, const SessionConfig& config) {
    session.config = config;
    session.rounds.clear();
    session.results.clear();
    session.resultStages.clear();
    session.stageOneResults.clear();
    session.nextRound = 0;
    session.stageTwoCentre = 0;
    session.rebuilt = false;
    session.seedOffset = 0;

    if (config.warmUp) session.rounds.push_back({clampCm360(config.startCm360), StageWarmUp});

    const TestPlan& plan = testPlan(config.length);
    std::vector<SessionRound> stageOne;
    for (double m : plan.stageOne) stageOne.push_back({clampCm360(m * config.startCm360), StageOne});
    Rng rng(config.seed * 31 + 5);
    rng.shuffle(stageOne);
    session.rounds.insert(session.rounds.end(), stageOne.begin(), stageOne.end());

    session.stageOneLeft = static_cast<int32_t>(stageOne.size());
    session.plannedTotal = static_cast<int32_t>(session.rounds.size() + plan.stageTwo.size());
}

bool recordRound(TestSession& session, const RoundResult& result, double curvaturePull) {
    if (session.nextRound < 0 || session.nextRound >= static_cast<int32_t>(session.rounds.size()))
        return false;
    const int32_t stage = session.rounds[static_cast<std::size_t>(session.nextRound)].stage;
    session.nextRound += 1;
    if (stage == StageWarmUp) return false;

    session.results.push_back(result);
    session.resultStages.push_back(stage);
    if (stage != StageOne) return false;

    session.stageOneResults.push_back(result);
    session.stageOneLeft -= 1;
    if (session.stageOneLeft != 0) return false;

    const SessionConfig& c = session.config;
    const double best = pickStageOneBest(session.stageOneResults, c.flickWeight, c.trackWeight, curvaturePull);
    const double centre = clampCm360(std::clamp(best, 0.5 * c.startCm360, 2.0 * c.startCm360));
    session.stageTwoCentre = centre;

    std::vector<SessionRound> stageTwo;
    for (double m : testPlan(c.length).stageTwo) stageTwo.push_back({clampCm360(m * centre), StageTwo});
    if (stageTwo.size() > 1) {
        Rng rng(c.seed * 77 + 11);
        rng.shuffle(stageTwo);
    }
    session.rounds.insert(session.rounds.end(), stageTwo.begin(), stageTwo.end());
    return true;
}

void rebuildSession(TestSession& session, const SessionConfig& config, double centre,
                    const std::vector<RoundResult>& storedResults,
                    const std::vector<int32_t>& storedStages) {
    session.config = config;
    session.rounds.clear();
    session.results = storedResults;
    session.resultStages = storedStages;
    session.resultStages.resize(storedResults.size(), StageOne);
    session.stageOneResults.clear();
    session.nextRound = 0;
    session.stageOneLeft = 0;
    session.rebuilt = true;
    session.stageTwoCentre = centre;
    const uint64_t storedCount = storedResults.size();
    session.seedOffset = static_cast<int32_t>(storedCount) + 100;

    const double d = clampCm360(centre);
    // A fresh check spreads wider; pooled with earlier rounds it can stay tight.
    const double spread = storedResults.empty() ? 0.22 : 0.14;
    std::vector<SessionRound> checks;
    for (int repeat = 0; repeat < 2; ++repeat) {
        for (double f : {std::exp(-spread), 1.0, std::exp(spread)})
            checks.push_back({clampCm360(f * d), StageCheck});
    }
    Rng rng(storedCount + config.seed * 53 + 1);
    for (int shuffles = 0; shuffles < 50; ++shuffles) {
        rng.shuffle(checks);
        if (neighboursApart(checks)) break;
    }

    if (config.warmUp) session.rounds.push_back({d, StageWarmUp});
    session.rounds.insert(session.rounds.end(), checks.begin(), checks.end());
    session.plannedTotal = static_cast<int32_t>(session.rounds.size());
}

int32_t plannedRounds(const TestSession& session) {
    const auto listed = std::count_if(session.rounds.begin(), session.rounds.end(),
                                      [](const SessionRound& r) { return r.stage != StageWarmUp; });
    const int32_t planned = session.plannedTotal - (session.config.warmUp ? 1 : 0);
    return std::max(static_cast<int32_t>(listed), planned);
}

int32_t scoredRoundsDone(const TestSession& session) {
    if (session.nextRound <= 0) return 0;
    const std::size_t played = std::min(static_cast<std::size_t>(session.nextRound), session.rounds.size());
    return static_cast<int32_t>(std::count_if(session.rounds.begin(), session.rounds.begin() + static_cast<std::ptrdiff_t>(played),
                                              [](const SessionRound& r) { return r.stage != StageWarmUp; }));
}

AnalysisResult runAnalysis(const TestSession& session, int32_t resamples, double curvaturePull) {
    const SessionConfig& c = session.config;
    return analyseTest(session.results, session.resultStages, c.flickWeight, c.trackWeight, c.seed * 13 + 1,
                       resamples, curvaturePull);
}
