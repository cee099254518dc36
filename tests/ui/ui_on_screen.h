#pragma once
// The UI drawn for real: a window with the renderer and the UI backends on it, a temporary
// data folder, and frames drawn as the main loop draws them, read back and saved as PNG files
// (in the build tree's "captures" folder) for a person to look at.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/png.h"
#include "app/result_image.h"
#include "app/scene.h"
#include "core/profile/app.h"
#include "imgui.h"
#include "platform/system/input.h"
#include "platform/system/ui_backend.h"
#include "platform/system/window.h"
#include "render/renderer.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_window.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/screens.h"

class UiOnScreen : public ::testing::Test {
protected:
    // `probe`: the UI probe records each frame, for finding widgets on it.
    UiOnScreen(const char* title, int32_t width, int32_t height, bool probe)
        : title_(title), width_(width), height_(height), probe_(probe) {}

    void SetUp() override {
        app_.applyAutomationReset();
        app_.automation = true;
        app_.dataDir = dir_.path();
        OPEN_TEST_WINDOW(window_, title_, width_, height_);
        app_.hwnd = window_.get();
        plat::showAndFocus(app_.hwnd);
        if (!loadGlFunctions() || !initRenderer(app_.renderer)) GTEST_SKIP() << "no OpenGL 3.3";
        ImGui::CreateContext();
        ImGui::GetIO().IniFilename = nullptr;
        plat::uiBackendInit(app_.hwnd);
        app_.uiScale = 1;
        loadFontsAndTheme(app_);
        if (probe_) probeEnable(true);
        uiUp_ = true;
        out_ = std::filesystem::path(TARVION_BINARY_DIR) / "captures";
        std::filesystem::create_directories(out_);
    }
    void TearDown() override {
        if (uiUp_) {
            if (probe_) probeEnable(false);
            plat::uiBackendShutdown();
            ImGui::DestroyContext();
        }
        releaseMsaaTarget(app_.renderer.msaa);
        window_.close();
        app_.hwnd = nullptr;
    }

    // One frame as the main loop draws it: scene, UI, then what is read back before the swap
    // (the capture named, and a share image asked for).
    void frame(const std::string& capture = "") {
        std::vector<plat::Event> events;
        plat::pumpEvents(app_.hwnd, events);
        plat::drawableSize(app_.hwnd, &app_.width, &app_.height);
        ensureMsaaTarget(app_.renderer.msaa, app_.width, app_.height, 4);
        drawScene(app_.renderer, buildSceneView(app_));
        plat::uiBackendNewFrame();
        if (probe_) probeBeginFrame();
        ImGui::NewFrame();
        drawUi(app_);
        ImGui::Render();
        plat::uiBackendRenderDrawData();
        if (!capture.empty()) {
            std::vector<uint8_t> rgb;
            ASSERT_TRUE(readFrameRegion(0, 0, app_.width, app_.height, app_.height, rgb, app_.width));
            ASSERT_TRUE(writePng((out_ / (capture + ".png")).string(), rgb.data(), app_.width, app_.height));
        }
        if (app_.shareCapturePending) saveShareImage(app_);
        plat::swapWindow(app_.hwnd);
    }
    void frames(int n) {
        for (int k = 0; k < n; ++k) frame();
    }

    TempFolder dir_;
    App app_;
    TestWindow window_;
    std::filesystem::path out_;

private:
    const char* title_;
    int32_t width_, height_;
    bool probe_;
    bool uiUp_ = false;
};
