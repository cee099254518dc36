// Under an X server: the setup wizard's Mouse page for each kind of game and the home
// screen at the smallest window, drawn by the real UI backends, read back and saved as PNG
// files (in the build tree's "captures" folder) for a person to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "tests/ui/results_fixture.h"
#include "tests/ui/ui_on_screen.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/screens.h"

using namespace results_test;

namespace {

class FitOnScreen : public UiOnScreen {
protected:
    FitOnScreen() : UiOnScreen("fit capture", 1600, 900, true) {}
    void TearDown() override {
        resetCalibratedYaws();
        UiOnScreen::TearDown();
    }

    // A client area of w x h, once the server has settled it.
    void resize(int32_t w, int32_t h) {
        plat::setWindowed(app_.hwnd, plat::Rect{0, 0, w, h});
        for (int k = 0; k < 200; ++k) {
            std::vector<plat::Event> events;
            plat::pumpEvents(app_.hwnd, events);
            plat::drawableSize(app_.hwnd, &app_.width, &app_.height);
            if (app_.width == w && app_.height == h) break;
            frame();
        }
        ASSERT_EQ(app_.width, w);
        ASSERT_EQ(app_.height, h);
    }

    // A piece of the frame, enlarged `zoom` times, for looking at a widget up close.
    void closeUp(const std::string& capture, ImVec2 min, ImVec2 max, int zoom) {
        for (int k = 0; k < 3; ++k) frame();
        frame();
        const int x = static_cast<int>(min.x), y = static_cast<int>(min.y);
        const int w = static_cast<int>(max.x - min.x), h = static_cast<int>(max.y - min.y);
        std::vector<uint8_t> rgb;
        ASSERT_TRUE(readFrameRegion(0, 0, app_.width, app_.height, app_.height, rgb, app_.width));
        std::vector<uint8_t> big(static_cast<size_t>(w * zoom) * static_cast<size_t>(h * zoom) * 3);
        for (int r = 0; r < h * zoom; ++r)
            for (int c = 0; c < w * zoom; ++c)
                for (int k = 0; k < 3; ++k)
                    big[(static_cast<size_t>(r) * static_cast<size_t>(w * zoom) + static_cast<size_t>(c)) * 3 + k] =
                        rgb[(static_cast<size_t>(y + r / zoom) * static_cast<size_t>(app_.width) +
                             static_cast<size_t>(x + c / zoom)) * 3 + k];
        ASSERT_TRUE(writePng((out_ / (capture + ".png")).string(), big.data(), w * zoom, h * zoom));
    }
    void show(const std::string& capture) {
        for (int k = 0; k < 3; ++k) frame();
        frame(capture);
    }

};

TEST_F(FitOnScreen, MousePageForEachKindOfGameAndTheHomeScreen) {
    struct Kind {
        const char* name;
        const char* game;
        double yaw;  // a calibrated game's yaw (0: not calibrated)
        bool reforgerFile;
    };
    const Kind kinds[] = {
        {"yaw_known", "valorant", 0, false},
        {"calibrated", "reforger", 0.0212, false},
        {"needs_calibration", "reforger", 0, false},
        {"reforger_file", "reforger", 0.0212, true},
        {"user_yaw", "custom", 0, false},
        {"cm360_only", "cm360", 0, false},
    };
    const int32_t sizes[][2] = {{1920, 1080}, {1600, 900}, {kMinimumDisplayWidth, kMinimumDisplayHeight}};
    for (const auto& size : sizes) {
        resize(size[0], size[1]);
        const std::string at = "_" + std::to_string(size[0]) + "x" + std::to_string(size[1]);
        for (const Kind& k : kinds) {
            setCalibratedYaw("reforger", k.yaw);
            app_.game = gameIndexById(k.game);
            app_.reforger = ReforgerSettings{};
            if (k.reforgerFile) {
                app_.reforger.found = true;
                app_.reforger.mouseSensitivity = 0.597;
                app_.reforger.firstPersonFov = 74;
                app_.reforgerFov = 90;
            }
            app_.screen = ScreenSetup;
            app_.setupStep = 1;
            show("wizard_mouse_" + std::string(k.name) + at);
        }
        app_.reforger = ReforgerSettings{};
        app_.game = gameIndexById("valorant");
        app_.setupStep = 2;
        show("wizard_style" + at);
        app_.screen = ScreenHome;
        show("home" + at);
    }
    // The FOV slider's value beside its grab, up close.
    app_.screen = ScreenSetup;
    app_.setupStep = 2;
    frame();
    const ProbeItem* fov = probeFindItem("##fov");
    ASSERT_NE(fov, nullptr);
    closeUp("wizard_fov_slider", ImVec2(fov->min.x, fov->min.y - 4), ImVec2(fov->max.x, fov->max.y + 4), 4);
    // The tutorial card's two buttons on one line.
    app_.screen = ScreenHome;
    app_.showTutorialDone = true;
    show("home_tutorial_card" + std::string("_") + std::to_string(kMinimumDisplayWidth) + "x" +
         std::to_string(kMinimumDisplayHeight));
}

}  // namespace
