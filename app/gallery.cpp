#include "app/gallery.h"

#include "app/input.h"
#include "core/catalog/armory.h"
#include "core/profile/app.h"
#include "engine/flow/starters.h"

namespace {

constexpr double kGalleryCm360 = 35.0;

int32_t gunCount() { return static_cast<int32_t>(gunCatalog().size()); }
int32_t skinCount() { return static_cast<int32_t>(skinCatalog().size()); }
std::string gunId(int32_t i) { return gunCatalog()[static_cast<size_t>(i)].id; }
std::string skinId(int32_t i) { return skinCatalog()[static_cast<size_t>(i)].id; }

// A practice round to photograph in; the gun, skin and map change under one already running.
void ensureRound(App& app) {
    if (app.screen != ScreenRound) startPractice(app, kGalleryCm360, false);
}

}  // namespace

std::string galleryCaptureName(const char* prefix, int32_t index, const std::string& id) {
    return std::string(prefix) + std::to_string(index) + "_" + id;
}

void galleryStep(App& app) {
    static GalleryState state;
    galleryStep(app, state);
}

void galleryStep(App& app, GalleryState& g) {
    if (!app.pendingCapture.empty()) return;
    if (g.wait > 0) {
        g.wait -= 1;
        return;
    }
    if (g.phase == 0) {
        if (g.index < gunCount()) {
            app.screen = ScreenArmory;
            app.armoryTab = 0;
            app.gun = gunId(g.index);
            app.skin = "factory";
            requestCapture(app, galleryCaptureName("g_", g.index, app.gun));
            g.index += 1;
            g.wait = 2;
            return;
        }
        g.phase = 1;
        g.index = 0;
    }
    if (g.phase == 1) {
        if (g.index < gunCount()) {
            app.gun = gunId(g.index);
            ensureRound(app);
            app.skin = "factory";
            g.wait = 3;
            g.phase = 2;
            return;
        }
        g.phase = 3;
        g.index = 0;
    }
    if (g.phase == 2) {
        requestCapture(app, galleryCaptureName("fp_", g.index, gunId(g.index)));
        g.index += 1;
        g.phase = 1;
        return;
    }
    if (g.phase == 3) {
        // Out of the first-person round (and its mouse capture); the screen is set below.
        leaveRound(app);
        if (g.index < skinCount()) {
            app.screen = ScreenArmory;
            app.armoryTab = 1;
            app.gun = g.index % 2 == 1 ? "longbow" : "halberd";
            app.skin = skinId(g.index);
            requestCapture(app, galleryCaptureName("s_", g.index, app.skin));
            g.index += 1;
            g.wait = 2;
            return;
        }
        g.phase = 4;
        g.index = 0;
    }
    if (g.phase == 4) {
        if (g.index >= kGalleryComboCount) {
            app.quitRequested = true;
            return;
        }
        const GalleryCombo& c = kGalleryCombos[g.index];
        app.theme = c.map;
        app.gun = c.gun;
        app.skin = c.skin;
        ensureRound(app);
        g.phase = 5;
        g.wait = 3;
        return;
    }
    if (g.phase == 5) {
        requestCapture(app, galleryCaptureName("m_", g.index, kGalleryCombos[g.index].map));
        g.index += 1;
        g.phase = 4;
    }
}
