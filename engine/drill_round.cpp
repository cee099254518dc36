#include "engine/drill_round.h"

void DrillRound::setupRound(RoundConfig cfg, double now) {
    config = cfg;
    roundStart = now;
    phaseStart = now;
}
void DrillRound::applyMouse(double, double) {}
void DrillRound::fireShot(double) {}
void DrillRound::updateRound(double) {}
void DrillRound::buildRenderList(std::vector<RenderSphere>& list) const { list.clear(); }
OrbState DrillRound::orbState(double) const { return {}; }
double DrillRound::phaseTimeLeft(double) const { return 0; }
PathPoint DrillRound::samplePath(double) const { return {}; }
double DrillRound::roundTime(double now) const { return now - roundStart; }
void DrillRound::spawnNextTarget(double) {}
void DrillRound::finishTarget(double, bool) {}
void DrillRound::startTracking() {}
void DrillRound::computeRoundStats() {}
void DrillRound::generateFlickPlan() {}
void DrillRound::generateOrbPath() {}
Float3 aimDirection(double, double) { return {}; }
double angleBetween(double, double, double, double) { return 0; }
double wrapYaw(double yaw) { return yaw; }
