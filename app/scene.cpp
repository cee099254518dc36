#include "app/scene.h"

#include <cmath>

#include "core/catalog/armory.h"
#include "core/profile/app.h"

namespace {

// Recoil kicks harder for pistols (sound kind 0) and snipers (kind 2).
float kickFactor(int32_t soundKind) {
    if (soundKind == 0) return 1.3f;
    if (soundKind == 2) return 1.9f;
    return 1.0f;
}

}  // namespace

SceneView buildSceneView(App& app) {
    SceneView view;
    view.yaw = 0;
    view.pitch = 0;
    view.fov = app.viewFov();
    view.width = app.width;
    view.height = app.height;
    for (int i = 0; i < 3; ++i) {
        view.targetColor[i] = app.flickColor[static_cast<size_t>(i)];
        view.orbColor[i] = app.trackColor[static_cast<size_t>(i)];
    }
    view.dim = 0;
    view.map = &mapCatalog()[static_cast<size_t>(mapIndexById(app.theme))];
    view.skin = &skinCatalog()[static_cast<size_t>(skinIndexById(app.skin))];
    const double wall = app.secondsSinceStart();
    view.time = static_cast<float>(wall);
    view.gunIndex = -1;
    view.armoryPreview = false;
    view.previewScale = 1.0f;
    view.previewOffsetX = 0.3f;
    view.previewYaw = -1.0f;
    view.previewOffsetY = -0.02f;

    if (app.screen == ScreenRound) {
        view.yaw = app.round.yaw;
        view.pitch = app.round.pitch;
        app.round.buildRenderList(app.renderList);
        view.spheres = &app.renderList;
        view.debris = &app.debris;
        view.dim = app.roundPhase == RoundPlaying ? 0.0f : 0.45f;
        const int32_t gun = gunIndexById(app.gun);
        view.gunIndex = gun;
        const float k = kickFactor(gunCatalog()[static_cast<size_t>(gun)].soundKind);
        view.gunSway[0] = app.gunSway[0];
        view.gunSway[1] = app.gunSway[1] - 0.012f * app.recoil[0];
        view.gunKick[0] = 0.03f * app.recoil[0] * k;
        view.gunKick[1] = 5.0f * app.recoil[0] * k;
        view.gunRoll = app.gunRoll;
        view.zoom = app.zoom;
        view.muzzleFlash = app.recoil[1];
    } else if (app.screen == ScreenArmory) {
        view.pitch = 3.0;
        view.dim = 0.15f;
        view.armoryPreview = true;
        view.gunIndex = gunIndexById(app.gun);
        view.previewSpin = static_cast<float>(std::fmod(wall * 28.0, 360.0));
        if (app.bannerMode) {
            // A fixed camera, framed by the picture's aspect.
            view.dim = 0;
            view.previewYaw = 104.0f;
            if (app.width > 2.5 * app.height) {
                view.yaw = -6.0;
                view.previewScale = 0.72f;
                view.previewOffsetX = 0.62f;
                view.previewOffsetY = -0.02f;
            } else {
                view.yaw = -14.0;
                view.previewScale = 1.05f;
                view.previewOffsetX = 0.36f;
                view.previewOffsetY = -0.17f;
            }
        }
    } else {
        view.yaw = 14.0 * std::sin(0.08 * app.menuClock);
        view.pitch = 2.0 + 2.0 * std::sin(0.05 * app.menuClock);
        view.dim = 0.35f;
    }
    return view;
}
