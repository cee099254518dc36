#include "engine/kernel/metrics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// Far targets are the ones whose flick is long enough to over- or undershoot.
constexpr double kFarDistance = 8.0;
// A kill faster than this after the reaction is a lucky flick, not a movement time.
constexpr double kMinMoveSeconds = 0.08;

// Index of the k-th record of a list of n: the record itself, or a pick with replacement.
std::size_t pick(std::size_t k, std::size_t n, Rng* rng) {
    if (!rng) return k;
    return static_cast<std::size_t>(static_cast<int64_t>(rng->uniform() * static_cast<double>(n)) %
                                    static_cast<int64_t>(n));
}

}  // namespace

RoundMetrics roundMetrics(const RoundResult& result, Rng* rng) {
    RoundMetrics m;
    m.cm360 = result.config.cm360;

    std::vector<const TargetRecord*> scored;
    scored.reserve(result.targets.size());
    for (const TargetRecord& r : result.targets)
        if (r.scored) scored.push_back(&r);

    double idSum = 0, timeSum = 0, killSum = 0, reactSum = 0;
    int32_t reactCount = 0, farCount = 0, over = 0, under = 0, clean = 0;
    std::vector<double> landings;
    for (std::size_t k = 0; k < scored.size(); ++k) {
        const TargetRecord* r = scored[pick(k, scored.size(), rng)];
        m.targetCount += 1;
        m.shots += r->shots;
        double start = r->spawnTime;
        if (r->reactionTime >= 0) {
            start = r->reactionTime;
            reactSum += r->reactionTime - r->spawnTime;
            reactCount += 1;
        }
        if (r->killed) {
            m.kills += 1;
            idSum += std::log2(1 + r->distance / (2 * r->radius));
            killSum += r->killTime - r->spawnTime;
            timeSum += std::max(kMinMoveSeconds, r->killTime - start);
        } else {
            timeSum += r->killTime - r->spawnTime;
        }
        if (r->distance >= kFarDistance) {
            farCount += 1;
            if (r->overshot) over += 1;
            else if (r->undershot) under += 1;
            else clean += 1;
        }
        if (r->isFar && r->landingRatio > 0.2 && r->landingRatio < 3) landings.push_back(std::log(r->landingRatio));
    }

    m.throughput = timeSum > 0 ? idSum / timeSum : 0;
    if (m.shots >= 1) {
        m.accuracy = static_cast<double>(m.kills) / m.shots;
        m.flickScore = m.throughput * std::sqrt(m.accuracy);
    }
    m.avgKillMs = m.kills > 0 ? killSum * 1000 / m.kills : 0;
    m.avgReactionMs = reactCount > 0 ? reactSum * 1000 / reactCount : 0;
    if (farCount > 0) {
        m.overflickPct = 100.0 * over / farCount;
        m.underflickPct = 100.0 * under / farCount;
        m.cleanPct = 100.0 * clean / farCount;
    }
    m.landingCount = static_cast<int32_t>(landings.size());
    if (!landings.empty()) m.medianLogLanding = medianOfVector(std::move(landings));

    // Segments are drawn after all target picks.
    double dur = 0, on = 0, nearSum = 0, err = 0;
    for (std::size_t k = 0; k < result.segments.size(); ++k) {
        const TrackSegment& s = result.segments[pick(k, result.segments.size(), rng)];
        dur += s.duration;
        on += s.onTarget;
        nearSum += s.nearCredit;
        err += s.errorIntegral;
    }
    if (dur > 0) {
        m.trackScore = 0.3 * nearSum / dur + 0.7 * on / dur;
        m.trackOnTarget = on / dur;
        m.meanErrorDeg = err / dur;
    }
    return m;
}

void normaliseScores(std::vector<RoundMetrics>& list, double flickWeight, double trackWeight) {
    if (list.empty()) return;
    double flick = 0, track = 0;
    for (const RoundMetrics& m : list) {
        flick += m.flickScore;
        track += m.trackScore;
    }
    flick /= static_cast<double>(list.size());
    track /= static_cast<double>(list.size());
    for (RoundMetrics& m : list) {
        m.flickPct = flick > 1e-9 ? 100 * m.flickScore / flick : 100;
        m.trackPct = track > 1e-9 ? 100 * m.trackScore / track : 100;
        m.performance = m.flickPct * flickWeight + m.trackPct * trackWeight;
    }
}

WeightedStats weightedStats(const std::vector<RoundMetrics>& list, double lowLog, double highLog) {
    WeightedStats out;
    double sw = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    double xMin = 0, xMax = 0;
    int32_t used = 0;
    for (const RoundMetrics& m : list) {
        if (m.landingCount < 3) continue;
        const double x = std::log(m.cm360), y = m.medianLogLanding, w = m.landingCount;
        if (used == 0) xMin = xMax = x;
        xMin = std::min(xMin, x);
        xMax = std::max(xMax, x);
        sw += w;
        sx += w * x;
        sy += w * y;
        sxx += w * x * x;
        sxy += w * x * y;
        used += 1;
    }
    const double det = sxx * sw - sx * sx;
    if (used < 3 || xMax - xMin < 0.2 || std::fabs(det) < 1e-12) return out;
    const double b1 = (sxy * sw - sx * sy) / det;
    const double b0 = (sy - sx * b1) / sw;
    // Only a clear downward trend (landings shorten as cm/360 grows) has a meaningful crossing.
    if (b1 > -0.12) return out;
    out.ok = true;
    out.value = std::min(std::max(-b0 / b1, lowLog - 0.15), highLog + 0.15);
    return out;
}

double medianOfVector(std::vector<double> values) {
    if (values.empty()) return 0;
    const auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), mid, values.end());
    return *mid;
}
