#pragma once
// One running round of the aim test: intro countdown, flick targets, the orb reveal and the
// tracking orb. Angles are degrees; yaw grows to the right and is never wrapped, pitch grows
// upward; the scene looks along -z.
//
// Callers pass the App clock (`now`) in. Inside, the round runs on its own clock: seconds
// since setupRound, held on a microsecond grid. Every time stored in the round's records
// (targets, aim samples) is such a round time, so the same inputs at the same offsets play
// the same round wherever it starts. Only `roundStart` and `phaseStart` are App-clock times.
#include <cstdint>
#include <vector>

#include "core/catalog/catalog.h"
#include "engine/kernel/round_config.h"

enum DrillPhase : int32_t {
    DrillIntro = 0,
    DrillFlick = 1,
    DrillReveal = 2,    // the orb stands still for 1.0 s
    DrillTracking = 3,  // its lead-in is the unscored start
    DrillDone = 4,
};

enum RoundEventType : int32_t {
    RoundEventHit = 0,
    RoundEventMiss = 1,
    RoundEventSpawned = 2,
    RoundEventGivenUp = 3,
    RoundEventFlickBegins = 4,
    RoundEventTrackingBegins = 5,
    RoundEventFinished = 6,
};

struct Float3 {
    float x = 0, y = 0, z = 0;

    bool operator==(const Float3&) const = default;
};

struct PathPoint {
    double x = 0, y = 0;
};

struct OrbState {
    double x = 0, y = 0;    // yaw, pitch
    double vx = 0, vy = 0;  // degrees per second
};

struct FlickSpot {
    double distance = 0;  // degrees
    double radius = 0;    // degrees, target scale applied
    double angle = 0;     // direction of the offset: 0 right, 90 up
    bool scored = true;   // false for the warm-up targets played first

    bool operator==(const FlickSpot&) const = default;
};

struct TargetRecord {
    bool scored = false;
    double distance = 0;       // from the view at spawn, in the yaw/pitch plane
    double radius = 0;
    double spawnTime = 0;      // round time
    double reactionTime = -1;  // round time the aim first moved toward the target; -1 none
    double killTime = 0;       // round time the target ended (hit or given up)
    bool killed = false;
    int32_t shots = 0;
    int32_t firstShot = -1;    // -1 none, 0 hit, 1 missed beyond, 2 missed short
    double landingRatio = 0;   // end of the primary movement / distance; 0 not measured
    bool isFar = false;        // distance >= 8 and the primary movement was measured
    bool overshot = false;
    bool undershot = false;

    bool operator==(const TargetRecord&) const = default;
};

struct AimSample {
    double time = 0;  // round time
    double yaw = 0;
    double pitch = 0;

    bool operator==(const AimSample&) const = default;
};

struct TrackSegment {
    double duration = 0;
    double onTarget = 0;
    double errorIntegral = 0;  // degree-seconds
    double nearCredit = 0;

    bool operator==(const TrackSegment&) const = default;
};

struct RoundResult {
    RoundConfig config;
    std::vector<TargetRecord> targets;   // every finished target, extra ones included
    std::vector<TrackSegment> segments;  // scored tracking segments
    int32_t kills = 0;                   // scored targets only, from here on
    int32_t shots = 0;
    int32_t missedTargets = 0;
    double avgKillMs = 0;
    double avgReactionMs = 0;
    double onTargetRatio = 0;
    double meanErrorDeg = 0;
    double nearRatio = 0;

    bool operator==(const RoundResult&) const = default;
};

struct RoundEvent {
    int32_t type = RoundEventHit;  // RoundEventType
    Float3 pos;                    // the target's point at distance 10 (types 0-3), else zero

    bool operator==(const RoundEvent&) const = default;
};

// One sphere of the scene's draw list.
struct RenderSphere {
    float x = 0, y = 0, z = 0;
    float radius = 0;
    int32_t kind = 0;  // 0 flick target, 1 orb
    float lit = 0;     // 1 while the aim is on the orb

    bool operator==(const RenderSphere&) const = default;
};

struct DrillRound {
    RoundConfig config;
    RoundResult result;
    int32_t phase = DrillIntro;  // DrillPhase
    double phaseStart = 0;       // App-clock time the phase began
    double degPerCount = kCm360Factor / (35.0 * 800.0);
    double sensMultiplier = 1;
    double targetScale = 1;
    double orbOffsetX = 0, orbOffsetY = 0;
    double yaw = 0, pitch = 0;

    std::vector<FlickSpot> spots;  // play order
    int32_t nextSpot = 0;          // index of the live target

    // The live target
    double targetYaw = 0, targetPitch = 0, targetRadius = 0;
    double spawnYaw = 0, spawnPitch = 0;
    int32_t spawnedCount = 0;
    TargetRecord current;
    std::vector<AimSample> trace;  // the aim since the live target spawned

    std::vector<float> pathX, pathY;  // orb path, one sample per pathStep
    double pathStep = 0.001;
    double orbRadius = 2.2;

    double lastUpdate = 0;  // round time of the last update
    bool onOrb = false;
    TrackSegment segment;
    double totalOnTarget = 0, totalTracked = 0;
    int32_t hits = 0, shots = 0;  // the whole round, extra targets included
    std::vector<RoundEvent> events;  // drained and cleared by the session flow every frame

    // The round's own clock
    double roundStart = 0;  // App-clock time of setupRound
    double phaseAt = 0;     // round time the phase began

    // Resets the round from a configuration. Taken by value: resuming passes result.config.
    void setupRound(RoundConfig cfg, double now);
    // Raw mouse counts; ignored once the round is done.
    void applyMouse(double dx, double dy);
    // One left-button press; counts only in the flick phase with a live target.
    void fireShot(double now);
    // Once per frame, or per 1 ms step under automation.
    void updateRound(double now);
    void buildRenderList(std::vector<RenderSphere>& list) const;
    // Orb yaw, pitch and their rates at this App-clock time.
    OrbState orbState(double now) const;
    // Seconds left of the tracking (the whole tracking time during the reveal).
    double phaseTimeLeft(double now) const;
    // The orb path at path time t, offsets included.
    PathPoint samplePath(double t) const;

    // The App-clock time as round time, on the microsecond grid.
    double roundTime(double now) const;

    // Steps of the round, public for the tests.
    void spawnNextTarget(double t);
    void finishTarget(double t, bool killed);
    void startTracking();
    void computeRoundStats();
    void generateFlickPlan();
    void generateOrbPath();
};

// The point at distance 10 in this direction.
Float3 aimDirection(double yaw, double pitch);
// Angle in degrees between two view directions.
double angleBetween(double yaw1, double pitch1, double yaw2, double pitch2);
// Yaw wrapped into [-180, 180).
double wrapYaw(double yaw);
