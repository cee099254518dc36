#pragma once
// A synthetic player for unattended runs. Every 1 ms it reads the running round and answers
// with whole mouse counts and a click, like a hand on a mouse used to one sensitivity (its
// habit cm/360): flicks are planned in centimetres for the habit, so at other speeds they
// land short or long, long moves cost time, and hand noise in cm grows into larger angles
// at fast sensitivities. Its scores therefore fall off on both sides of the habit.
// Everything it does follows from its seed.
#include <cstdint>
#include <vector>

#include "core/catalog/catalog.h"

struct DrillRound;

struct SimAimerParams {
    double habitCm360 = 35;     // the cm/360 the hand is used to
    double noiseFloorCm = 0.035;  // constant part of a movement's aim error (sd, cm)
    double noisePerCm = 0.07;     // aim error per cm moved; also scales tremor with speed
    double maxHandSpeed = 90;     // cm/s
    double longMoveCm = 16;       // longer flicks cost 0.35 s more
    double reactionMean = 0.2;    // s
    double adaptGain = 0.3;       // share of the observed deg/cm error corrected per flick
    double clickJitterCm = 0.012;  // per axis sd at the click
    double visualDelay = 0.11;    // s, while tracking
    double trackGain = 8.0;       // 1/s
    double maxHandAccel = 280;    // cm/s^2
    double tremorCm = 0.03;
    double learnPerRound = 0.0;   // improvement per round played
};

enum SimAimerState : int32_t { SimIdle = 0, SimReacting = 1, SimMoving = 2, SimSettling = 3 };

// What the player has seen of the orb at one moment (s, degrees, degrees per second).
struct OrbSample {
    double time = 0;
    double yaw = 0;
    double pitch = 0;
    double yawVelocity = 0;
    double pitchVelocity = 0;
};

struct SimAimer {
    SimAimerParams params;
    uint64_t rngState = 0x9e3779b97f4a7c15ull;
    double countsPerCm = 800 / kCmPerInch;
    double degPerCmEstimate = 360.0 / 35;  // the hand's belief of the view's scale
    double roundFactor = 1;  // 1 + roundIndex x learnPerRound
    double handX = 0, handY = 0;  // cm since the round's reset, y up
    int64_t emittedX = 0, emittedY = 0;  // whole counts already handed out
    int32_t state = SimIdle;
    double timer = 0;
    int32_t seenSpawnCount = -1;
    double moveStart = 0, moveDuration = 0;  // s, moveStart on the round's own clock
    double moveFromX = 0, moveFromY = 0;
    double moveX = 0, moveY = 0;  // planned movement with its aim error, cm
    double viewYawAtMove = 0, viewPitchAtMove = 0;
    std::vector<OrbSample> orbHistory;  // sample times on the round's own clock
    double handVelX = 0, handVelY = 0;  // cm/s while tracking
    double tremorX = 0, tremorY = 0;  // cm, added when counts are taken
    bool trackingStarted = false;
};

// Once per session.
void setupSimAimer(SimAimer& aimer, const SimAimerParams& params, double dpi, uint64_t seed);
// Once per round after the round was set up; what the hand learned is forgotten.
void resetSimAimer(SimAimer& aimer, int32_t roundIndex);
// One step of `dt` seconds at App-clock time `now`.
void stepSimAimer(SimAimer& aimer, const DrillRound& round, double now, double dt, int32_t& dx,
                  int32_t& dy, bool& click);
// The hand position (plus tremor) as whole counts since the last call; fractions stay behind.
void takeMouseCounts(SimAimer& aimer, int32_t& dx, int32_t& dy);
// Plans one flick movement toward an angular error, with its aim noise and duration.
void planAimNoise(SimAimer& aimer, const DrillRound& round, double yawError, double pitchError,
                  double now, bool firstMovement);
