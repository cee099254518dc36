#include "app/profile_handover.h"

#include "core/profile/app.h"
#include "platform/system/instance.h"
#include "updater/updater.h"

namespace {

// How long the profile is tried for after a failed install before another copy is taken to
// hold it: the new version that was ended may take a moment to let go of it.
constexpr int kTakeBackMs = 10000;

// When this copy first tried to take the profile back; below 0: not trying.
double takeBackSince = -1;

// True when the profile is this copy's again (or no lock can be had there, as at a start
// that went on without one).
bool takeBack(App& app, int waitMs) {
    const plat::FolderClaim claim = plat::takeBackProfileFolder(app.dataDir, waitMs);
    if (claim == plat::FolderClaim::HeldElsewhere) return false;
    if (claim == plat::FolderClaim::Claimed) plat::publishProfileWindow(app.hwnd);
    app.takeProfileBack();
    return true;
}

}  // namespace

void settleProfileHandOver(App& app) {
    if (!app.profileLent) {
        if (!updater::profileWanted()) return;
        app.lendProfile();
        plat::releaseProfileFolder();
        takeBackSince = -1;
        updater::profileLetGo();
        return;
    }
    const int state = updater::updateState();
    // The new version is up and has the profile: this copy quits without writing.
    if (state == updater::UpdateInstalled) return;
    if (state == updater::UpdateInstalling) {
        // A retry asks again before the profile came back: it is still let go of.
        if (updater::profileWanted()) updater::profileLetGo();
        return;
    }
    if (takeBackSince < 0) takeBackSince = app.secondsSinceStart();
    if (takeBack(app, 0)) {
        takeBackSince = -1;
        return;
    }
    if (app.secondsSinceStart() - takeBackSince < kTakeBackMs / 1000.0) return;
    // Another copy runs on the profile now: one copy per profile, so this one gives way.
    plat::raiseProfileHolder(app.dataDir);
    app.quitRequested = true;
}

void takeProfileBackAtExit(App& app) {
    if (!app.profileLent || updater::updateState() != updater::UpdateFailed) return;
    takeBackSince = -1;
    takeBack(app, kTakeBackMs);
}
