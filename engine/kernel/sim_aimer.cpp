#include "engine/kernel/sim_aimer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "core/catalog/angles.h"
#include "engine/kernel/drill_round.h"

namespace {

constexpr uint64_t kGolden = 0x9e3779b97f4a7c15ull;
constexpr double kTremorTau = 0.05;        // s, tremor time constant
constexpr double kTrackAdaptTau = 0.8;     // s, the hand learns the tracking scale this fast
constexpr double kLearnMinMoveCm = 0.25;   // shorter flicks teach the hand nothing
constexpr std::size_t kHistoryCutAt = 64;  // samples before the perceived one that trigger a cut
constexpr std::size_t kHistoryKeep = 32;   // samples kept before the perceived one

double uniform(SimAimer& a) {
    a.rngState += kGolden;
    uint64_t z = a.rngState;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    z = z ^ (z >> 31);
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

// Box-Muller, cosine branch only: always exactly two draws.
double gaussian(SimAimer& a) {
    const double u1 = uniform(a);
    const double u2 = uniform(a);
    return std::sqrt(-2 * std::log(std::max(u1, 1e-12))) * std::cos(2 * std::numbers::pi * u2);
}

// Great-circle angle in degrees between two view directions.
double viewAngle(double yaw1, double pitch1, double yaw2, double pitch2) {
    const double ax = std::sin(yaw1 * kDegToRad) * std::cos(pitch1 * kDegToRad), ay = std::sin(pitch1 * kDegToRad),
                 az = -std::cos(yaw1 * kDegToRad) * std::cos(pitch1 * kDegToRad);
    const double bx = std::sin(yaw2 * kDegToRad) * std::cos(pitch2 * kDegToRad), by = std::sin(pitch2 * kDegToRad),
                 bz = -std::cos(yaw2 * kDegToRad) * std::cos(pitch2 * kDegToRad);
    const double cx = ay * bz - az * by, cy = az * bx - ax * bz, cz = ax * by - ay * bx;
    return std::atan2(std::sqrt(cx * cx + cy * cy + cz * cz), ax * bx + ay * by + az * bz) / kDegToRad;
}

double habitDegPerCm(const SimAimer& a) { return 360.0 / std::max(a.params.habitCm360, 0.5); }

// Everything a round start forgets; parameters, generator and scale stay.
void clearRoundState(SimAimer& a, double roundFactor) {
    a.degPerCmEstimate = habitDegPerCm(a);
    a.roundFactor = roundFactor;
    a.handX = a.handY = 0;
    a.emittedX = a.emittedY = 0;
    a.state = SimIdle;
    a.timer = 0;
    a.seenSpawnCount = -1;
    a.moveStart = a.moveDuration = 0;
    a.moveFromX = a.moveFromY = 0;
    a.moveX = a.moveY = 0;
    a.viewYawAtMove = a.viewPitchAtMove = 0;
    a.orbHistory.clear();
    a.handVelX = a.handVelY = 0;
    a.tremorX = a.tremorY = 0;
    a.trackingStarted = false;
}

void aimAtTarget(SimAimer& a, const DrillRound& round, double now, bool firstMovement) {
    planAimNoise(a, round, wrapYaw(round.targetYaw - round.yaw), round.targetPitch - round.pitch, now, firstMovement);
}

void stepFlick(SimAimer& a, const DrillRound& round, double now, double t, double dt, bool& click) {
    a.trackingStarted = false;
    const double rootFactor = std::sqrt(a.roundFactor);
    if (round.spawnedCount != a.seenSpawnCount) {
        // A new target: react, then plan the first movement like any reaction.
        a.seenSpawnCount = round.spawnedCount;
        a.state = SimReacting;
        const double n = gaussian(a);
        a.timer = std::max((a.params.reactionMean + 0.03 * n) / rootFactor, 0.12);
    }
    switch (a.state) {
    case SimReacting:
        a.timer -= dt;
        if (a.timer <= 0) aimAtTarget(a, round, now, true);
        break;
    case SimMoving: {
        const double tau = (t - a.moveStart) / a.moveDuration;
        double s = 0;
        if (tau >= 0) {
            const double p = std::min(tau, 1.0);
            s = p * p * p * (10 - 15 * p + 6 * p * p);  // minimum jerk
        }
        a.handX = a.moveFromX + s * a.moveX;
        a.handY = a.moveFromY + s * a.moveY;
        if (tau >= 1) {
            const double length = std::hypot(a.moveX, a.moveY);
            if (length > kLearnMinMoveCm) {
                const double turned =
                    std::hypot(wrapYaw(round.yaw - a.viewYawAtMove), round.pitch - a.viewPitchAtMove);
                a.degPerCmEstimate += a.params.adaptGain * (turned / length - a.degPerCmEstimate);
            }
            a.state = SimSettling;
            a.timer = 0.045 + 0.02 * uniform(a);
        }
        break;
    }
    case SimSettling: {
        a.timer -= dt;
        if (a.timer > 0) break;
        const double angle = viewAngle(round.yaw, round.pitch, round.targetYaw, round.targetPitch);
        const double r = round.targetRadius;
        bool shoot = angle <= 0.85 * r;
        if (!shoot && angle <= 1.4 * r) shoot = uniform(a) < 0.15;
        if (shoot) {
            const double nx = gaussian(a);
            const double ny = gaussian(a);
            a.handX += a.params.clickJitterCm * nx;
            a.handY += a.params.clickJitterCm * ny;
            // Check again shortly; a kill normally moves the round on by then.
            a.timer = 0.06;
            click = true;
        } else {
            aimAtTarget(a, round, now, false);
        }
        break;
    }
    default:
        break;
    }
}

void stepTracking(SimAimer& a, const DrillRound& round, double now, double t, double dt) {
    const SimAimerParams& p = a.params;
    if (!a.trackingStarted) {
        a.trackingStarted = true;
        a.handVelX = a.handVelY = 0;
        a.orbHistory.clear();
        a.state = SimIdle;
    }
    const OrbState orb = round.orbState(now);
    a.orbHistory.push_back({t, orb.x, orb.y, orb.vx, orb.vy});

    // What the eye reports now is visualDelay old; the oldest sample until that much exists.
    std::size_t seen = 0;
    const double seenBy = t - p.visualDelay;
    for (std::size_t i = a.orbHistory.size(); i-- > 0;) {
        if (a.orbHistory[i].time <= seenBy) {
            seen = i;
            break;
        }
    }
    if (seen > kHistoryCutAt) {
        const std::size_t cut = seen - kHistoryKeep;
        a.orbHistory.erase(a.orbHistory.begin(), a.orbHistory.begin() + static_cast<std::ptrdiff_t>(cut));
        seen -= cut;
    }
    const OrbSample& s = a.orbHistory[seen];

    const double errYaw = wrapYaw(s.yaw + s.yawVelocity * p.visualDelay - round.yaw);
    const double errPitch = s.pitch + s.pitchVelocity * p.visualDelay - round.pitch;
    const double wantYawRate = p.trackGain * errYaw + s.yawVelocity;
    const double wantPitchRate = p.trackGain * errPitch + s.pitchVelocity;

    a.degPerCmEstimate += (1 - std::exp(-dt / kTrackAdaptTau)) * (a.countsPerCm * round.degPerCount - a.degPerCmEstimate);

    double wantX = wantYawRate / a.degPerCmEstimate;
    double wantY = wantPitchRate / a.degPerCmEstimate;
    const double wantSpeed = std::hypot(wantX, wantY);
    if (wantSpeed > p.maxHandSpeed) {
        wantX *= p.maxHandSpeed / wantSpeed;
        wantY *= p.maxHandSpeed / wantSpeed;
    }
    double dvx = wantX - a.handVelX, dvy = wantY - a.handVelY;
    const double limit = std::sqrt(a.roundFactor) * p.maxHandAccel * dt;
    const double dv = std::hypot(dvx, dvy);
    if (dv > limit) {
        dvx *= limit / dv;
        dvy *= limit / dv;
    }
    a.handVelX += dvx;
    a.handVelY += dvy;
    a.handX += a.handVelX * dt;
    a.handY += a.handVelY * dt;

    // Tremor: an Ornstein-Uhlenbeck process that grows with hand speed.
    const double sigma = 0.01 * p.noisePerCm * std::hypot(a.handVelX, a.handVelY) + p.tremorCm / std::sqrt(a.roundFactor);
    const double k = sigma * std::sqrt(2 * dt / kTremorTau);
    const double nx = gaussian(a);
    const double ny = gaussian(a);
    a.tremorX = a.tremorX - a.tremorX * dt / kTremorTau + k * nx;
    a.tremorY = a.tremorY - a.tremorY * dt / kTremorTau + k * ny;
}

}  // namespace

void setupSimAimer(SimAimer& aimer, const SimAimerParams& params, double dpi, uint64_t seed) {
    aimer.params = params;
    aimer.rngState = seed != 0 ? seed : kGolden;
    aimer.countsPerCm = dpi / kCmPerInch;
    clearRoundState(aimer, 1);
}

void resetSimAimer(SimAimer& aimer, int32_t roundIndex) {
    clearRoundState(aimer, 1 + roundIndex * aimer.params.learnPerRound);
}

void stepSimAimer(SimAimer& aimer, const DrillRound& round, double now, double dt, int32_t& dx,
                  int32_t& dy, bool& click) {
    dx = dy = 0;
    click = false;
    // The aimer keeps time on the round's own clock, so a round replays the same wherever
    // it starts on the App clock.
    const double t = round.roundTime(now);
    switch (round.phase) {
    case DrillFlick:
        stepFlick(aimer, round, now, t, dt, click);
        break;
    case DrillReveal:
    case DrillTracking:
        stepTracking(aimer, round, now, t, dt);
        break;
    default:
        aimer.state = SimIdle;
        aimer.trackingStarted = false;
        break;
    }
    // Counts once per step, after any click jitter, so no fraction of a count is lost.
    takeMouseCounts(aimer, dx, dy);
}

void takeMouseCounts(SimAimer& aimer, int32_t& dx, int32_t& dy) {
    const int64_t x = std::llround((aimer.handX + aimer.tremorX) * aimer.countsPerCm);
    const int64_t y = std::llround((aimer.handY + aimer.tremorY) * aimer.countsPerCm);
    dx = static_cast<int32_t>(x - aimer.emittedX);
    dy = static_cast<int32_t>(aimer.emittedY - y);  // positive dy lowers the view
    aimer.emittedX = x;
    aimer.emittedY = y;
}

void planAimNoise(SimAimer& aimer, const DrillRound& round, double yawError, double pitchError,
                  double now, bool firstMovement) {
    const SimAimerParams& p = aimer.params;
    const double rootFactor = std::sqrt(aimer.roundFactor);
    const double gx = yawError / aimer.degPerCmEstimate;
    const double gy = pitchError / aimer.degPerCmEstimate;
    const double dist = std::hypot(gx, gy);
    double ux = 1, uy = 0;
    if (dist > 1e-9) {
        ux = gx / dist;
        uy = gy / dist;
    }
    const double nx = -uy, ny = ux;  // left normal

    // The error across a movement is half the error along it.
    const double sigma = std::hypot(p.noisePerCm * dist, p.noiseFloorCm) / rootFactor;
    const double along = gaussian(aimer);
    const double across = gaussian(aimer);
    aimer.moveX = gx + sigma * along * ux + 0.5 * sigma * across * nx;
    aimer.moveY = gy + sigma * along * uy + 0.5 * sigma * across * ny;

    // Fitts' law with a 0.2 cm effective width; the ideal distance, not the noisy one.
    double duration = 0.035 * std::log2(1 + dist / 0.2) + (firstMovement ? 0.07 : 0.05) + dist / p.maxHandSpeed;
    if (dist > p.longMoveCm) duration += 0.35;
    duration = std::max(duration / rootFactor, 0.04);

    aimer.moveStart = round.roundTime(now);
    aimer.moveDuration = duration;
    aimer.moveFromX = aimer.handX;
    aimer.moveFromY = aimer.handY;
    aimer.viewYawAtMove = round.yaw;
    aimer.viewPitchAtMove = round.pitch;
    aimer.state = SimMoving;
}
