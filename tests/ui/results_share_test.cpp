// The share card: its place on the display, what it says for each kind of game, and the
// capture request it files for the image writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/result_image.h"
#include "tests/ui/results_fixture.h"
#include "ui/probe.h"
#include "ui/results.h"

using namespace results_test;

namespace {

TEST(ShareCard, SizeAndPlaceOnTheDisplay) {
    struct Case {
        float W, H, scale;
        float x, y, w, h;
    };
    const Case cases[] = {
        {1280, 720, 1, 140, 90, 1000, 540},   // the share image at scale 1
        {1600, 900, 1, 300, 180, 1000, 540},
        {900, 500, 1, 10, 10, 880, 480},      // the 20-pixel margin is not scaled
        {1920, 1080, 1.5f, 210, 135, 1500, 810},
        {1001, 601, 1, 10, 30, 981, 540},
        {15, 15, 1, 7, 7, 0, 0},              // no room: no card
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.W) + "x" + std::to_string(c.H));
        const ShareCardRect r = shareCardRect(c.W, c.H, c.scale);
        EXPECT_FLOAT_EQ(r.x, c.x);
        EXPECT_FLOAT_EQ(r.y, c.y);
        EXPECT_FLOAT_EQ(r.w, c.w);
        EXPECT_FLOAT_EQ(r.h, c.h);
    }
}

// The card's figures line exactly, so a trailing eDPI part would show.
bool hasExactText(const std::string& text) {
    return std::find(probeTexts().begin(), probeTexts().end(), text) != probeTexts().end();
}

struct ShareFixture : ResultsFixture {
    ShareFixture() : ResultsFixture(1280, 720) {}
    void share() {
        app.shareRequested = true;
        ui.frame();
    }
};

TEST(ShareCard, DrawnOnRequestWithTheCaptureRectangle) {
    ShareFixture f;
    f.share();
    EXPECT_TRUE(f.app.shareCapturePending);
    EXPECT_TRUE(f.app.shareRequested);  // the image writer clears it
    EXPECT_EQ(f.app.shareCaptureRect[0], 140);
    EXPECT_EQ(f.app.shareCaptureRect[1], 90);
    EXPECT_EQ(f.app.shareCaptureRect[2], 1000);
    EXPECT_EQ(f.app.shareCaptureRect[3], 540);
    for (const char* t : {"TAR", "VION", "MY VALORANT SENSITIVITY", "0.408",
                          "40.0 cm/360   \xC2\xB7   800 DPI   \xC2\xB7   eDPI 327",
                          "Medium confidence   \xC2\xB7   range 36.0\xE2\x80\x93" "44.0 cm/360",
                          "Found with Tarvion - 10 blind flick + tracking rounds"})
        EXPECT_TRUE(f.ui.hasText(t)) << t;
    EXPECT_FALSE(f.ui.hasText("CONFIRMED BY SENS CHECK"));
}

TEST(ShareCard, GameKindsAndTheSensCheckBadge) {
    {
        ShareFixture f;
        f.useGame("cm360", 0);
        f.share();
        EXPECT_TRUE(f.ui.hasText("MY BEST SENSITIVITY"));
        EXPECT_TRUE(hasExactText("40.0 cm/360"));
        EXPECT_TRUE(hasExactText("40.0 cm/360   \xC2\xB7   800 DPI"));
    }
    {
        ShareFixture f;
        f.useGame("reforger", 0);
        f.share();
        EXPECT_TRUE(f.ui.hasText("MY Arma Reforger SENSITIVITY"));
        EXPECT_TRUE(f.ui.hasText("calibrate first"));
        EXPECT_TRUE(hasExactText("40.0 cm/360   \xC2\xB7   800 DPI"));
    }
    {
        // Only the latest check's confirmation counts.
        ShareFixture f;
        SensCheckEntry yes, no;
        yes.confirmed = true;
        f.app.sensChecks = {no, yes};
        f.share();
        EXPECT_TRUE(f.ui.hasText("CONFIRMED BY SENS CHECK"));
        f.app.sensChecks = {yes, no};
        f.share();
        EXPECT_FALSE(f.ui.hasText("CONFIRMED BY SENS CHECK"));
    }
}

TEST(ShareCard, WaitsOnTheRoundScreenAndIsDroppedWithoutAResult) {
    ShareFixture f;
    f.app.screen = ScreenRound;
    f.app.roundPhase = RoundBetween;
    f.share();
    EXPECT_TRUE(f.app.shareRequested);
    EXPECT_FALSE(f.app.shareCapturePending);
    f.app.screen = ScreenResults;
    f.app.hasResult = false;
    f.share();
    EXPECT_FALSE(f.app.shareRequested);
    EXPECT_FALSE(f.app.shareCapturePending);
}

TEST(ShareCard, TinyWindowFilesAnEmptyRequest) {
    TempFolder dir;
    App app;
    UiHarness ui(app, 18, 18);
    fillResult(app);
    app.screen = ScreenResults;
    app.shareRequested = true;
    ui.frame();
    EXPECT_TRUE(app.shareCapturePending);
    EXPECT_EQ(app.shareCaptureRect[2], 0);
    EXPECT_EQ(app.shareCaptureRect[3], 0);
    EXPECT_FALSE(ui.hasText("VION"));
    // The writer finds nothing to read and says so.
    saveShareImage(app);
    EXPECT_EQ(app.toast, "Couldn't capture the image.");
    EXPECT_FALSE(app.shareCapturePending);
}

}  // namespace
