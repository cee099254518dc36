#include "engine/kernel/drill_round.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/catalog/angles.h"
#include "engine/kernel/rng.h"

namespace {

// Distance of the point the events and the draw list place things at.
constexpr double kPointDistance = 10.0;
// atan2 of nearly parallel vectors is off by a few ulps; a shot exactly on the rim still hits.
constexpr double kRimSlack = 1e-9;
constexpr double kRevealSeconds = 1.0;
constexpr double kSegmentSeconds = 0.5;
constexpr double kRemnantSeconds = 0.05;
constexpr double kMaxFrameDelta = 0.1;

struct Dir {
    double x, y, z;
};

Dir unitDirection(double yaw, double pitch) {
    double cy = std::cos(yaw * kDegToRad), sy = std::sin(yaw * kDegToRad);
    double cp = std::cos(pitch * kDegToRad), sp = std::sin(pitch * kDegToRad);
    return {sy * cp, sp, -cy * cp};
}

double signOf(double v) { return v < 0 ? -1.0 : 1.0; }

// Round times sit on a microsecond grid; comparing whole microseconds keeps a threshold
// from flipping on the last bit of a difference or of a summed duration.
int64_t micros(double seconds) { return std::llround(seconds * 1e6); }

}  // namespace

double wrapYaw(double yaw) {
    double w = std::fmod(yaw + 180.0, 360.0);
    if (w < 0) w += 360.0;
    return w - 180.0;
}

Float3 aimDirection(double yaw, double pitch) {
    Dir d = unitDirection(yaw, pitch);
    return {static_cast<float>(kPointDistance * d.x), static_cast<float>(kPointDistance * d.y),
            static_cast<float>(kPointDistance * d.z)};
}

double angleBetween(double yaw1, double pitch1, double yaw2, double pitch2) {
    Dir a = unitDirection(yaw1, pitch1);
    Dir b = unitDirection(yaw2, pitch2);
    double cx = a.y * b.z - a.z * b.y;
    double cy = a.z * b.x - a.x * b.z;
    double cz = a.x * b.y - a.y * b.x;
    double cross = std::sqrt(cx * cx + cy * cy + cz * cz);
    double dot = a.x * b.x + a.y * b.y + a.z * b.z;
    return std::atan2(cross, dot) / kDegToRad;
}

double DrillRound::roundTime(double now) const {
    // The microsecond grid absorbs the rounding of absolute clock values, so a round started
    // at 0 and one started hours later see the very same offsets.
    return static_cast<double>(micros(now - roundStart)) / 1e6;
}

void DrillRound::setupRound(RoundConfig cfg, double now) {
    config = cfg;
    result = RoundResult{};
    result.config = cfg;

    degPerCount = kCm360Factor / (std::max(0.5, config.cm360) * std::max(1.0, config.dpi));
    targetScale = config.zoom > 1 ? 1.3 / config.zoom : 1.0;
    sensMultiplier = 1;
    orbRadius = targetScale * drillStyleText(config.style).orbRadius;
    yaw = pitch = 0;
    events.clear();
    trace.clear();
    onOrb = false;
    hits = shots = 0;
    nextSpot = 0;
    spawnedCount = 0;
    segment = TrackSegment{};
    totalOnTarget = totalTracked = 0;
    orbOffsetX = orbOffsetY = 0;
    targetYaw = targetPitch = targetRadius = 0;
    spawnYaw = spawnPitch = 0;
    current = TargetRecord{};

    generateFlickPlan();
    generateOrbPath();

    phase = DrillIntro;
    roundStart = now;
    phaseAt = 0;
    phaseStart = now;
    lastUpdate = 0;
}

void DrillRound::generateFlickPlan() {
    const DrillStyle& s = drillStyleText(config.style);
    const double k = targetScale;

    double maxD = std::min(0.78 * config.hFov / 2.0, s.maxDist);
    if (config.scopeRadius > 0 && 0.8 * config.scopeRadius < maxD) maxD = 0.8 * config.scopeRadius;
    maxD = std::max(maxD, 14.0 * k);
    double minD = s.minDist;
    if (k < 1) minD *= 1.2 * k;
    const int32_t n = std::max(1, config.flickTargets);

    std::vector<FlickSpot> scored;
    scored.reserve(static_cast<std::size_t>(n));
    Rng a(config.seed * 0x9E3779B1ull + 17);
    for (int32_t i = 0; i < n; ++i) {
        FlickSpot spot;
        double u1 = a.uniform();
        spot.distance = minD * std::pow(maxD / minD, (i + 0.5) / n) * (1 + 0.1 * u1 - 0.05);
        spot.radius = (i % 2 == 0 ? s.flickRadiusBig : s.flickRadiusSmall) * k;
        double u2 = a.uniform();
        double u3 = a.uniform();
        double h;
        if (u2 < 0.7) {
            h = 60 * u3 - 30;  // mostly sideways
        } else {
            double u4 = a.uniform();
            h = (37 * u4 + 38) * (u3 < 0.5 ? -1 : 1);  // steep up or down
        }
        double u5 = a.uniform();
        spot.angle = u5 < 0.5 ? 180 - h : h;
        spot.scored = true;
        scored.push_back(spot);
    }

    Rng b(config.roundSeed * Rng::kGolden + 3);
    b.shuffle(scored);
    if (b.uniform() < 0.5) {
        for (FlickSpot& spot : scored) spot.angle = 180 - spot.angle;
    }

    static constexpr double kExtraDistances[6] = {16, 26, 11, 21, 8, 30};
    spots.clear();
    spots.reserve(static_cast<std::size_t>(std::max(0, config.extraTargets) + n));
    for (int32_t j = 0; j < config.extraTargets; ++j) {
        FlickSpot spot;
        double u1 = b.uniform();
        double u2 = b.uniform();
        double e = 70 * u1 - 35;
        spot.angle = u2 < 0.5 ? 180 - e : e;
        spot.distance = std::min(maxD, kExtraDistances[j % 6] * k);
        spot.radius = s.flickRadiusBig * k;
        spot.scored = false;
        spots.push_back(spot);
    }
    spots.insert(spots.end(), scored.begin(), scored.end());
}

void DrillRound::generateOrbPath() {
    const DrillStyle& s = drillStyleText(config.style);
    const double k = targetScale;
    const double dt = pathStep;

    Rng c(config.seed * 0xD1B54A32D192ED03ull + 99);
    double face = c.uniform() < 0.5 ? -1.0 : 1.0;
    double p1 = 2 * std::numbers::pi * c.uniform();
    double p2 = 2 * std::numbers::pi * c.uniform();
    Rng d(config.roundSeed * 0xA0761D6478BD642Full + 7);
    double side = d.uniform() < 0.5 ? -1.0 : 1.0;

    double speed = std::clamp(config.trackSpeed, 0.5, 2.5);
    double smooth = std::exp(-dt / (s.smoothTau / std::sqrt(speed)));
    double range = std::min(0.62 * config.hFov / 2.0, 28.0);
    if (config.scopeRadius > 0) range = std::min(range, 0.55 * config.scopeRadius);

    int64_t count = static_cast<int64_t>((config.leadIn + 1 + config.trackSeconds + 1) / dt) + 2;
    count = std::max<int64_t>(count, 2);
    pathX.assign(static_cast<std::size_t>(count), 0.0f);
    pathY.assign(static_cast<std::size_t>(count), 0.0f);

    const double stillSamples = 1 / dt;  // the first second the orb stands still
    const double bobAmp = s.bob * k;
    double x = 0, v = 0, w = 0, segLeft = 0;
    double jumpAt = -1, jumpHeight = 0, jumpLength = 0.6;

    for (int64_t i = 0; i < count; ++i) {
        double tau = std::max(0.0, (static_cast<double>(i) - stillSamples) * dt);
        if (static_cast<double>(i) >= stillSamples) {
            if (segLeft <= 0) {
                if (c.uniform() < s.pauseChance) {
                    segLeft = 0.2 + 0.2 * c.uniform();
                    w = 0;
                } else {
                    if (c.uniform() < s.reverseChance) face = -face;
                    w = (s.strafeSpeedMin + c.uniform() * (s.strafeSpeedMax - s.strafeSpeedMin)) * face * k * speed;
                    segLeft = s.strafeTimeMin + c.uniform() * (s.strafeTimeMax - s.strafeTimeMin);
                }
                if (jumpAt < 0 && c.uniform() < s.jumpChance) {
                    double kind = c.uniform();
                    double e = c.uniform();
                    double h = c.uniform();
                    if (kind < 0.65) {
                        jumpLength = 0.5 + 0.2 * e;
                        jumpHeight = (2.0 + 1.2 * h) * k;
                    } else {  // slide
                        jumpLength = 0.35 + 0.2 * e;
                        jumpHeight = -(1.0 + 0.6 * h) * k;
                    }
                    jumpAt = 0;
                }
            }
            // Turn back before the orb leaves the sideways range.
            if (x > 0.85 * range && w > 0) {
                w = -std::fabs(w);
                face = -1;
            }
            if (x < -0.85 * range && w < 0) {
                w = std::fabs(w);
                face = 1;
            }
        }
        v += (w - v) * (1 - smooth);
        segLeft -= dt;
        x += v * dt;

        double jump = 0;
        if (jumpAt >= 0) {
            jump = jumpHeight * std::sin(std::numbers::pi * std::min(jumpAt / jumpLength, 1.0));
            jumpAt = jumpAt + dt < jumpLength ? jumpAt + dt : -1;
        }
        std::size_t idx = static_cast<std::size_t>(i);
        pathX[idx] = static_cast<float>(side * x);
        pathY[idx] = static_cast<float>(1 + bobAmp * std::sin(p1 + 1.1938052083641213 * tau) +
                                        0.46 * bobAmp * std::sin(p2 + 2.9530970943744053 * tau) + jump);
    }
}

PathPoint DrillRound::samplePath(double t) const {
    if (pathX.empty()) return {};
    const double q = std::max(t, 0.0) / pathStep;
    const double fl = std::floor(q);
    const double n = static_cast<double>(pathX.size());
    PathPoint p;
    if (fl + 1 < n) {
        std::size_t i = static_cast<std::size_t>(fl);
        double f = q - fl;
        p.x = pathX[i] + (static_cast<double>(pathX[i + 1]) - pathX[i]) * f;
        p.y = pathY[i] + (static_cast<double>(pathY[i + 1]) - pathY[i]) * f;
    } else {
        p.x = pathX.back();
        p.y = pathY.back();
    }
    p.x += orbOffsetX;
    p.y += orbOffsetY;
    return p;
}

void DrillRound::applyMouse(double dx, double dy) {
    if (phase == DrillDone) return;
    yaw += dx * degPerCount * sensMultiplier;
    pitch = std::clamp(pitch - dy * degPerCount * sensMultiplier, -89.0, 89.0);
}

void DrillRound::spawnNextTarget(double t) {
    const FlickSpot& spot = spots[static_cast<std::size_t>(nextSpot)];
    const double hFov = config.hFov, vFov = config.vFov, scope = config.scopeRadius;

    double dy = spot.distance * std::sin(spot.angle * kDegToRad);
    double dx = spot.distance * std::cos(spot.angle * kDegToRad);
    if (std::fabs(dy) > 0.4 * vFov) {
        dy = signOf(dy) * 0.4 * vFov;
        dx = signOf(dx) * std::sqrt(std::max(0.0, spot.distance * spot.distance - dy * dy));
    }
    if (std::fabs(dx) > 0.4 * hFov) dx = signOf(dx) * 0.4 * hFov;
    if (scope > 0) {
        double len = std::sqrt(dx * dx + dy * dy);
        if (len > 0.8 * scope) {
            double f = 0.8 * scope / len;
            dx *= f;
            dy *= f;
        }
    }

    // Mirror the offset so the target stays in a comfortable window around straight ahead.
    const double w = wrapYaw(yaw);
    const double cand[4][2] = {{dx, dy}, {-dx, dy}, {dx, -dy}, {-dx, -dy}};
    bool placed = false;
    for (const auto& c : cand) {
        if (w + c[0] >= -50 && w + c[0] <= 50 && pitch + c[1] >= -18 && pitch + c[1] <= 22) {
            targetYaw = yaw + c[0];
            targetPitch = std::min(60.0, pitch + c[1]);
            placed = true;
            break;
        }
    }
    if (!placed) {
        // No mirror fits: step back toward the middle of the room.
        double r = std::sqrt(w * w + (2 - pitch) * (2 - pitch));
        double dirX = 1, dirY = 0;
        if (r < 1e-6) {
            r = 5;
        } else {
            dirX = -w / r;
            dirY = (2 - pitch) / r;
            r = std::max(r, 5.0);
        }
        double step = std::min(r, spot.distance);
        targetYaw = yaw + step * dirX;
        targetPitch = std::clamp(pitch + step * dirY, -60.0, 60.0);
        if (scope > 0) {
            // Scoped targets stay inside the scope like the planned placement, even when the
            // pitch limit pulled the target further from a view beyond it.
            double ox = targetYaw - yaw, oy = targetPitch - pitch;
            double len = std::sqrt(ox * ox + oy * oy);
            if (len > 0.8 * scope) {
                double f = 0.8 * scope / len;
                targetYaw = yaw + ox * f;
                targetPitch = pitch + oy * f;
            }
        }
    }

    targetRadius = spot.radius;
    spawnYaw = yaw;
    spawnPitch = pitch;
    current = TargetRecord{};
    current.scored = spot.scored;
    double wy = wrapYaw(targetYaw - yaw), wp = targetPitch - pitch;
    current.distance = std::sqrt(wy * wy + wp * wp);
    current.radius = targetRadius;
    current.spawnTime = t;
    spawnedCount += 1;
    trace.clear();
    trace.push_back({t, yaw, pitch});
    events.push_back({RoundEventSpawned, aimDirection(targetYaw, targetPitch)});
}

void DrillRound::fireShot(double now) {
    if (phase != DrillFlick || nextSpot >= static_cast<int32_t>(spots.size())) return;
    const double t = roundTime(now);
    trace.push_back({t, yaw, pitch});
    current.shots += 1;
    shots += 1;

    const bool hit = angleBetween(yaw, pitch, targetYaw, targetPitch) <= targetRadius + kRimSlack;
    if (current.firstShot < 0) {
        if (hit) {
            current.firstShot = 0;
        } else {
            double along = (wrapYaw(yaw - spawnYaw) * wrapYaw(targetYaw - spawnYaw) +
                            (pitch - spawnPitch) * (targetPitch - spawnPitch)) /
                           std::max(1e-6, current.distance);
            current.firstShot = along > current.distance ? 1 : 2;
        }
    }
    const Float3 point = aimDirection(targetYaw, targetPitch);
    if (hit) {
        hits += 1;
        events.push_back({RoundEventHit, point});
        finishTarget(t, true);
    } else {
        events.push_back({RoundEventMiss, point});
    }
}

void DrillRound::finishTarget(double t, bool killed) {
    current.killed = killed;
    current.killTime = t;

    const double dist = current.distance;
    const std::size_t count = trace.size();
    if (dist > 0.001 && count >= 3) {
        const double dyaw = wrapYaw(targetYaw - spawnYaw);
        const double dpitch = targetPitch - spawnPitch;
        std::vector<double> prog(count), vel(count, 0.0);
        for (std::size_t i = 0; i < count; ++i) {
            prog[i] = (dpitch / dist) * (trace[i].pitch - spawnPitch) + (dyaw / dist) * wrapYaw(trace[i].yaw - spawnYaw);
        }

        const double react = std::max(0.03 * dist, 0.3);
        std::size_t reactIdx = count;
        for (std::size_t i = 0; i < count; ++i) {
            if (prog[i] >= react) {
                reactIdx = i;
                current.reactionTime = trace[i].time;
                break;
            }
        }

        // Speed over a window of at least 6 ms, so single jittery samples do not spike it.
        std::size_t j = 0;
        for (std::size_t i = 1; i < count; ++i) {
            while (j + 1 < i && micros(trace[i].time - trace[j + 1].time) >= micros(0.006)) ++j;
            double span = trace[i].time - trace[j].time;
            vel[i] = micros(span) > 1 ? (prog[i] - prog[j]) / span : vel[i - 1];
        }

        std::size_t from = reactIdx < count ? reactIdx : 0;
        std::size_t peakIdx = count;
        double peak = 0;
        for (std::size_t i = from; i < count; ++i) {
            if (vel[i] > peak) {
                peak = vel[i];
                peakIdx = i;
            }
        }

        current.overshot = *std::max_element(prog.begin(), prog.end()) > dist + current.radius;

        if (peakIdx < count && peak > 15 && reactIdx < count) {
            std::size_t end = count - 1;
            for (std::size_t i = peakIdx + 1; i < count; ++i) {
                if (vel[i] <= 0.12 * peak) {
                    end = i;
                    break;
                }
            }
            const double landed = prog[end];
            current.isFar = dist >= 8;
            current.undershot = landed < dist - current.radius;
            current.landingRatio = landed / dist;
        }
    }

    result.targets.push_back(current);
    trace.clear();
    nextSpot += 1;

    if (nextSpot < static_cast<int32_t>(spots.size())) {
        spawnNextTarget(t);
    } else {
        phase = DrillReveal;
        phaseAt = t;
        phaseStart = roundStart + t;
        startTracking();
    }
}

void DrillRound::startTracking() {
    orbOffsetX = orbOffsetY = 0;
    PathPoint start = samplePath(0);
    // The orb appears on the crosshair's yaw, at a comfortable height.
    orbOffsetX = yaw - start.x;
    orbOffsetY = std::clamp(pitch, -15.0, 25.0) - start.y;
    events.push_back({RoundEventTrackingBegins, {}});
}

void DrillRound::updateRound(double now) {
    const double t = roundTime(now);
    const double dt = std::clamp(t - lastUpdate, 0.0, kMaxFrameDelta);
    lastUpdate = t;

    switch (phase) {
        case DrillIntro:
            if (micros(t - phaseAt) >= micros(config.introSeconds)) {
                phase = DrillFlick;
                phaseAt = t;
                phaseStart = roundStart + t;
                events.push_back({RoundEventFlickBegins, {}});
                spawnNextTarget(t);
            }
            break;
        case DrillFlick:
            trace.push_back({t, yaw, pitch});
            if (micros(t - current.spawnTime) > micros(config.targetTimeout)) {
                events.push_back({RoundEventGivenUp, aimDirection(targetYaw, targetPitch)});
                finishTarget(t, false);
            }
            break;
        case DrillReveal: {
            const double pt = t - phaseAt;
            PathPoint orb = samplePath(pt);
            onOrb = angleBetween(yaw, pitch, orb.x, orb.y) <= orbRadius;
            if (micros(pt) >= micros(kRevealSeconds)) {
                phase = DrillTracking;
                phaseAt = t;
                phaseStart = roundStart + t;
            }
            break;
        }
        case DrillTracking: {
            const double pt = t - phaseAt;
            PathPoint orb = samplePath(pt + kRevealSeconds);
            const double err = angleBetween(yaw, pitch, orb.x, orb.y);
            onOrb = err <= orbRadius;
            if (micros(pt) > micros(config.leadIn)) {
                segment.duration += dt;
                if (onOrb) segment.onTarget += dt;
                segment.errorIntegral += err * dt;
                segment.nearCredit += std::max(0.0, 1 - err / (3 * orbRadius)) * dt;
                totalTracked += dt;
                if (onOrb) totalOnTarget += dt;
            }
            if (micros(segment.duration) >= micros(kSegmentSeconds)) {
                result.segments.push_back(segment);
                segment = TrackSegment{};
            }
            if (micros(pt) >= micros(config.leadIn + config.trackSeconds)) {
                if (micros(segment.duration) > micros(kRemnantSeconds)) result.segments.push_back(segment);
                phase = DrillDone;
                segment = TrackSegment{};
                computeRoundStats();
                events.push_back({RoundEventFinished, {}});
            }
            break;
        }
        default:
            break;
    }
}

void DrillRound::computeRoundStats() {
    result.kills = result.shots = result.missedTargets = 0;
    double killSum = 0, reactSum = 0;
    int32_t reactCount = 0;
    for (const TargetRecord& r : result.targets) {
        if (!r.scored) continue;
        result.shots += r.shots;
        if (r.killed) {
            result.kills += 1;
            killSum += r.killTime - r.spawnTime;
        } else {
            result.missedTargets += 1;
        }
        if (r.reactionTime >= 0) {
            reactSum += r.reactionTime - r.spawnTime;
            reactCount += 1;
        }
    }
    result.avgKillMs = result.kills > 0 ? killSum * 1000 / result.kills : 0;
    result.avgReactionMs = reactCount > 0 ? reactSum * 1000 / reactCount : 0;

    double dur = 0, on = 0, err = 0, nearSum = 0;
    for (const TrackSegment& s : result.segments) {
        dur += s.duration;
        on += s.onTarget;
        err += s.errorIntegral;
        nearSum += s.nearCredit;
    }
    if (dur > 0) {
        result.onTargetRatio = on / dur;
        result.meanErrorDeg = err / dur;
        result.nearRatio = nearSum / dur;
    } else {
        result.onTargetRatio = result.meanErrorDeg = result.nearRatio = 0;
    }
}

OrbState DrillRound::orbState(double now) const {
    const double t = roundTime(now);
    double pt = 0;
    if (phase == DrillTracking) pt = t - phaseAt + kRevealSeconds;
    else if (phase == DrillReveal) pt = t - phaseAt;
    PathPoint p = samplePath(pt);
    PathPoint q = samplePath(pt + 0.004);
    return {p.x, p.y, (q.x - p.x) / 0.004, (q.y - p.y) / 0.004};
}

double DrillRound::phaseTimeLeft(double now) const {
    if (phase == DrillTracking)
        return std::max(0.0, config.leadIn + config.trackSeconds - (roundTime(now) - phaseAt));
    if (phase == DrillReveal) return config.leadIn + config.trackSeconds;
    return 0;
}

void DrillRound::buildRenderList(std::vector<RenderSphere>& list) const {
    list.clear();
    if (phase == DrillFlick && nextSpot < static_cast<int32_t>(spots.size())) {
        Float3 p = aimDirection(targetYaw, targetPitch);
        list.push_back({p.x, p.y, p.z, static_cast<float>(kPointDistance * std::sin(targetRadius * kDegToRad)), 0, 0.0f});
    } else if (phase == DrillReveal || phase == DrillTracking) {
        double pt = lastUpdate - phaseAt + (phase == DrillTracking ? kRevealSeconds : 0.0);
        PathPoint orb = samplePath(pt);
        Float3 p = aimDirection(orb.x, orb.y);
        list.push_back({p.x, p.y, p.z, static_cast<float>(kPointDistance * std::sin(orbRadius * kDegToRad)), 1,
                        onOrb ? 1.0f : 0.0f});
    }
}
