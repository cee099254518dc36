// Under an X server: the setup wizard's Mouse page for each kind of game and the home
// screen at the smallest window, drawn by the real UI backends, read back and saved as PNG
// files (in the build tree's "captures" folder) for a person to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/png.h"
#include "app/scene.h"
#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "imgui.h"
#include "platform/system/input.h"
#include "platform/system/ui_backend.h"
#include "platform/system/window.h"
#include "render/renderer.h"
#include "tests/ui/results_fixture.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/screens.h"

using namespace results_test;

namespace {

class FitOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server";
        app_.applyAutomationReset();
        app_.automation = true;
        app_.dataDir = dir_.path();
        app_.hwnd = plat::createGlWindow("fit capture", 1600, 900, nullptr);
        if (!app_.hwnd) GTEST_SKIP() << "no window";
        plat::showAndFocus(app_.hwnd);
        if (!loadGlFunctions() || !initRenderer(app_.renderer)) GTEST_SKIP() << "no OpenGL 3.3";
        ImGui::CreateContext();
        ImGui::GetIO().IniFilename = nullptr;
        plat::uiBackendInit(app_.hwnd);
        app_.uiScale = 1;
        loadFontsAndTheme(app_);
        probeEnable(true);
        uiUp_ = true;
        out_ = std::filesystem::path(TARVION_BINARY_DIR) / "captures";
        std::filesystem::create_directories(out_);
    }
    void TearDown() override {
        resetCalibratedYaws();
        if (uiUp_) {
            probeEnable(false);
            plat::uiBackendShutdown();
            ImGui::DestroyContext();
        }
        releaseMsaaTarget(app_.renderer.msaa);
        if (app_.hwnd) plat::destroyGlWindow(app_.hwnd);
        app_.hwnd = nullptr;
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

    void frame(const std::string& capture = "") {
        std::vector<plat::Event> events;
        plat::pumpEvents(app_.hwnd, events);
        plat::drawableSize(app_.hwnd, &app_.width, &app_.height);
        ensureMsaaTarget(app_.renderer.msaa, app_.width, app_.height, 4);
        drawScene(app_.renderer, buildSceneView(app_));
        plat::uiBackendNewFrame();
        probeBeginFrame();
        ImGui::NewFrame();
        drawUi(app_);
        ImGui::Render();
        plat::uiBackendRenderDrawData();
        if (!capture.empty()) {
            std::vector<uint8_t> rgb;
            ASSERT_TRUE(readFrameRegion(0, 0, app_.width, app_.height, app_.height, rgb, app_.width));
            ASSERT_TRUE(writePng((out_ / (capture + ".png")).string(), rgb.data(), app_.width, app_.height));
        }
        plat::swapWindow(app_.hwnd);
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

    TempFolder dir_;
    App app_;
    bool uiUp_ = false;
    std::filesystem::path out_;
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
