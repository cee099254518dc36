#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"

namespace {

// ---- App view helpers ------------------------------------------------------

// The catalogue is process-wide: leave the calibrated row as the program starts.
class ViewTest : public ::testing::Test {
protected:
    void TearDown() override { resetCalibratedYaws(); }
    App app;
};

TEST_F(ViewTest, GameYaw) {
    app.game = gameIndexById("custom");
    app.customYaw = 0.05;
    EXPECT_EQ(app.gameYaw(), 0.05);
    app.customYaw = 0;
    EXPECT_EQ(app.gameYaw(), 0.022);
    app.customYaw = -1;
    EXPECT_EQ(app.gameYaw(), 0.022);
    app.game = gameIndexById("ow2");
    EXPECT_EQ(app.gameYaw(), 0.0066);
    app.game = gameIndexById("reforger");
    EXPECT_EQ(app.gameYaw(), 0);
}

TEST_F(ViewTest, CurrentCm360) {
    struct Case {
        const char* id;
        double sens, dpi, cmDirect;
        bool unknown;
        double cm;
    };
    const Case cases[] = {
        {"cs2", 1, 800, 35, false, 51.954545454545},
        {"cs2", 1, 800, 35, true, 40},                   // unknown: the game's default
        {"cs2", 0.208, 800, 35, false, 200},             // 249.8 cm clamps to 200
        {"cs2", 0, 800, 35, false, 40},                  // sens 0: the game's default
        {"cs2", 100, 1600, 35, false, 6},                // 0.26 cm clamps to 6
        {"cm360", 1, 800, 3, false, 6},                  // typed cm/360 clamps too
        {"cm360", 1, 800, 42.5, true, 42.5},             // kind 3 ignores "unknown"
        {"reforger", 1, 800, 35, false, 45},             // uncalibrated: default
        {"apex", std::nan(""), 800, 35, false, 32},      // not a number: default
        {"apex", 1e-300, 1e-300, 35, false, 32},         // infinite: default
    };
    for (const Case& c : cases) {
        app.game = gameIndexById(c.id);
        app.sens = c.sens;
        app.dpi = c.dpi;
        app.cmDirect = c.cmDirect;
        app.sensUnknown = c.unknown;
        EXPECT_NEAR(app.currentCm360(), c.cm, 1e-9) << c.id << " " << c.sens;
    }
}

TEST_F(ViewTest, FieldsOfView) {
    app.game = gameIndexById("valorant");
    EXPECT_EQ(app.horizontalFov(), 103);
    EXPECT_NEAR(app.verticalFov(), 70.532800433, 1e-8);
    app.fov = 90;
    EXPECT_EQ(app.horizontalFov(), 90);
    // A hand-edited fov that is no usable angle falls back to the game's default: the
    // projection's scale, 1 / tan(fov / 2), would not fit a float below 1e-30 degrees.
    for (double fov : {0.0, -5.0, 180.0, 250.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e-37, 1e-320}) {
        app.fov = fov;
        EXPECT_EQ(app.horizontalFov(), 103) << fov;
        EXPECT_TRUE(std::isfinite(app.windowFov())) << fov;
    }
    // Odd but usable angles are taken as they are.
    for (double fov : {60.0, 1e-20, 179.9}) {
        app.fov = fov;
        EXPECT_EQ(app.horizontalFov(), fov) << fov;
    }
    app.fov = 0;
    struct Size {
        int w, h;
        double fov;
    };
    const Size sizes[] = {{1600, 900, 103}, {1920, 1080, 103}, {1600, 0, 103}, {1600, -5, 103},
                          {1440, 1080, 86.631970874}, {2560, 1080, 118.361344660}};
    for (const Size& s : sizes) {
        app.width = s.w;
        app.height = s.h;
        EXPECT_NEAR(app.windowFov(), s.fov, 1e-8) << s.w << "x" << s.h;
    }
}

TEST_F(ViewTest, ScopedView) {
    struct Case {
        int screen, kind;
        const char* gun;
        float zoom;
        bool scoped;
    };
    const Case cases[] = {
        {ScreenRound, SessionScopeCheck, "halberd", 0, true},    {ScreenHome, SessionScopeCheck, "longbow", 1, false},
        {ScreenRound, SessionPractice, "longbow", 0.5f, true},   {ScreenRound, SessionPractice, "kingfisher", 1, true},
        {ScreenRound, SessionPractice, "longbow", 0.49f, false}, {ScreenRound, SessionPractice, "breacher", 1, false},
        {ScreenRound, SessionFinder, "longbow", 1, false},       {ScreenRound, SessionSensCheck, "longbow", 1, false},
    };
    for (const Case& c : cases) {
        app.screen = c.screen;
        app.sessionKind = c.kind;
        app.gun = c.gun;
        app.zoom = c.zoom;
        EXPECT_EQ(app.isScopedView(), c.scoped) << c.screen << " " << c.kind << " " << c.gun << " " << c.zoom;
    }
}

TEST_F(ViewTest, ViewFovFollowsTheScopeZoom) {
    app.game = gameIndexById("valorant");
    app.screen = ScreenRound;
    app.sessionKind = SessionPractice;
    struct Case {
        float zoom;
        double fov;
    };
    // The zoom eases in (smoothstep) and narrows the view only past 60 %, to 4x at full zoom.
    const Case cases[] = {{0, 103}, {0.5f, 103}, {0.7f, 55.688154320927}, {0.9f, 36.702169915570}, {1, 34.895145932676}};
    for (const Case& c : cases) {
        app.zoom = c.zoom;
        EXPECT_NEAR(app.viewFov(), c.fov, 1e-9) << c.zoom;
    }
    app.sessionKind = SessionScopeCheck;
    app.round.config.hFov = 27.5;
    EXPECT_EQ(app.viewFov(), 27.5);
    app.screen = ScreenResults;
    app.width = 1440;
    app.height = 1080;
    EXPECT_NEAR(app.viewFov(), 86.631970874, 1e-8);
}

TEST_F(ViewTest, SecondsSinceStartRuns) {
    double a = app.secondsSinceStart();
    EXPECT_GE(a, 0);
    EXPECT_LT(a, 60);
    EXPECT_GE(app.secondsSinceStart(), a);
}

}  // namespace
