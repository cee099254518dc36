#pragma once
// The settings of one drill round and the four drill styles that shape its targets and orb.
#include <array>
#include <cstdint>

struct TestSession;

enum DrillStyleIndex : int32_t { StyleTactical = 0, StyleBalanced = 1, StyleTracking = 2, StyleMilsim = 3, StyleCount };

struct DrillStyle {
    const char* name;
    const char* description;
    double flickRadiusBig;    // target angular radii (degrees) before the target scale
    double flickRadiusSmall;
    double minDist;           // flick distance range, degrees
    double maxDist;
    double orbRadius;         // degrees, before the target scale
    double strafeSpeedMin;    // degrees per second
    double strafeSpeedMax;
    double strafeTimeMin;     // seconds per strafe
    double strafeTimeMax;
    double reverseChance;     // a new strafe reverses direction
    double pauseChance;       // a new segment is a pause
    double smoothTau;         // velocity smoothing time constant, seconds
    double bob;               // vertical bob amplitude, degrees
    double jumpChance;        // jump or slide at a segment start
};

// The four rows: Tactical, Balanced, Tracking, Mil-sim.
const std::array<DrillStyle, StyleCount>& drillStyles();
// The row of a style; Balanced for an index outside 0..3.
const DrillStyle& drillStyleText(int32_t style);

// Angles in degrees, times in seconds.
struct RoundConfig {
    int32_t style = StyleBalanced;
    double zoom = 1;          // above 1 shrinks targets and orb (target scale 1.3 / zoom)
    double scopeRadius = 0;   // angular radius of the scope circle; 0 when not zoomed
    double trackSpeed = 1.3;  // orb speed multiplier
    double cm360 = 35;        // the hidden sensitivity
    double dpi = 800;
    int32_t extraTargets = 3;  // unscored flick targets played first
    int32_t flickTargets = 16;
    double leadIn = 1.5;       // unscored start of the tracking phase
    double trackSeconds = 12;
    double hFov = 103;
    double vFov = 70.5;
    uint64_t seed = 1;         // flick layout and orb path
    uint64_t roundSeed = 1;    // flick order, mirroring, extra targets, orb side
    double introSeconds = 2.4;
    double targetTimeout = 3.5;

    bool operator==(const RoundConfig&) const = default;
};

// Orb speed multiplier of the trackSpeed setting: <= 0 -> 1.0, 1 -> 1.3, else 1.6.
double trackSpeedFactor(int32_t setting);

// The configuration of the round at session.nextRound (finder, Sens Check, Scope Check).
// The view fields (hFov, vFov, scopeRadius) are the session's; the round start replaces
// them with applyRoundView.
RoundConfig makeRoundConfig(const TestSession& session);

// A practice round. `seed` varies per round (the caller mixes the performance counter with
// the round counter); roundSeed follows from it.
RoundConfig makePracticeConfig(double cm360, double dpi, int32_t style, int32_t trackSpeedSetting, bool tutorial,
                               uint64_t seed);

// Fills hFov, vFov and, when zoomed, scopeRadius from the window's horizontal and vertical
// FOV (degrees) and the client size in pixels.
void applyRoundView(RoundConfig& config, double windowFov, double verticalFov, int32_t width, int32_t height);

// Expected minutes of a whole test of this length (0 Quick, 1 Standard, 2 Thorough).
double estimateMinutes(int32_t length);
