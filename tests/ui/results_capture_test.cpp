// Under an X server: the results screen, its chart, the Sens Check verdict and the share
// image drawn by the real renderer and UI backends into a window, read back and saved as
// PNG files with our own encoder (in the build tree's "captures" folder) for a person to
// look at; the share image is checked for its size and its card colours.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/result_image.h"
#include "core/profile/app.h"
#include "engine/flow/session_flow.h"
#include "engine/flow/starters.h"
#include "imgui.h"
#include "imgui_internal.h"
#include "platform/system/clipboard.h"
#include "platform/system/input.h"
#include "platform/system/window.h"
#include "tests/platform/system/xclip_run.h"
#include "tests/support/scoped_env.h"
#include "tests/ui/results_fixture.h"
#include "tests/ui/ui_on_screen.h"
#include "ui/kit.h"
#include "ui/results.h"
#include "ui/screens.h"

using namespace results_test;

namespace {

constexpr double kFrame = 1.0 / 60;

class ResultsOnScreen : public UiOnScreen {
protected:
    ResultsOnScreen() : UiOnScreen("results capture", 1280, 720, false) {}
    void SetUp() override {
        UiOnScreen::SetUp();
        app_.shotsDir = dir_.file("shots");
    }
    void play() {
        for (int k = 0; k < 100000 && app_.screen == ScreenRound; ++k) {
            if (app_.roundPhase != RoundPlaying) app_.now += app_.automationSpeed * kFrame;
            updateFrame(app_, kFrame);
        }
    }
};

uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

TEST_F(ResultsOnScreen, ResultsChartVerdictAndShareImage) {
    startFinder(app_);
    play();
    ASSERT_EQ(app_.screen, ScreenResults);
    ASSERT_TRUE(app_.hasResult);
    frames(3);
    frame("results_top");

    app_.resultsScrollY = 420;
    frames(3);
    frame("results_middle");
    app_.resultsScrollY = 100000;
    frames(3);
    frame("results_bottom");

    // Every round, with the collapsing header opened through its stored state.
    for (ImGuiWindow* w : ImGui::GetCurrentContext()->Windows)
        if (std::string(w->Name).find("/rounds_") != std::string::npos)
            w->StateStorage.SetInt(w->GetID("Every round, sensitivities revealed"), 1);
    frames(2);
    app_.resultsScrollY = 100000;  // to the end of the now taller screen
    frames(3);
    frame("results_rounds");

    // The share image: the card read back and written by the image writer.
    app_.resultsScrollY = 0;
    frames(2);
    app_.shareRequested = true;
    frame("share_on_screen");
    EXPECT_FALSE(app_.shareRequested);
    EXPECT_EQ(app_.toast, "Saved in " + app_.shotsDir + ".");
    std::filesystem::path image;
    for (const auto& e : std::filesystem::directory_iterator(app_.shotsDir))
        if (e.path().extension() == ".png") image = e.path();
    ASSERT_FALSE(image.empty());
    const std::vector<uint8_t> png = test_files::readBytes(image);
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(be32(png, 16), 1000u);
    EXPECT_EQ(be32(png, 20), 540u);
    std::filesystem::copy_file(image, out_ / "share_image.png", std::filesystem::copy_options::overwrite_existing);

    // The verdict after a pooled Sens Check.
    startSensCheck(app_);
    play();
    ASSERT_EQ(app_.screen, ScreenResults);
    ASSERT_TRUE(app_.isSensCheckResult);
    app_.resultsScrollY = 0;
    frames(3);
    frame("verdict");
}

TEST_F(ResultsOnScreen, ShareCardPixelsComeBackAsDrawn) {
    fillResult(app_);
    app_.screen = ScreenResults;
    frames(2);
    app_.shareRequested = true;
    frame();
    std::filesystem::path image;
    for (const auto& e : std::filesystem::directory_iterator(app_.shotsDir)) image = e.path();
    ASSERT_FALSE(image.empty());
    const std::vector<uint8_t> png = test_files::readBytes(image);
    // Stored blocks: the pixels can be read straight out of the file. Row y, column x sits
    // after the 41 bytes before the zlib data, the 2-byte zlib header and 5 bytes per block.
    const size_t rowBytes = 3 * 1000 + 1;
    auto pixel = [&](size_t x, size_t y) {
        const size_t raw = y * rowBytes + 1 + 3 * x;
        const size_t at = 41 + 2 + 5 * (raw / 65535 + 1) + raw;
        return std::vector<int>{png[at], png[at + 1], png[at + 2]};
    };
    // Left edge, half-way down, inside the border: between the top-left (10, 40, 48) and
    // bottom-left (8, 28, 34) corners of the card's gradient.
    const std::vector<int> left = pixel(6, 270);
    EXPECT_NEAR(left[0], 9, 4);
    EXPECT_NEAR(left[1], 34, 4);
    EXPECT_NEAR(left[2], 41, 4);
    // The border: accent at 0.6 over the card.
    const std::vector<int> border = pixel(0, 270);
    EXPECT_GT(border[1], 100);
    EXPECT_GT(border[2], 100);
}

// "Share image" in an interactive run: the card saved under Pictures/Tarvion, the toast says
// it was copied, and another program pastes exactly the saved file's bytes (a 1000 x 540
// image: the answer goes in INCR pieces).
TEST_F(ResultsOnScreen, ShareImageIsOnTheClipboardAsTheSavedFile) {
    if (!xclip::available()) GTEST_SKIP() << "no xclip";
    const std::filesystem::path home = dir_.at("home");
    std::filesystem::create_directories(home);
    {
        ScopedEnv homeVar("HOME", home.string());
        ScopedEnv config("XDG_CONFIG_HOME", (home / ".config").string());
        app_.automation = false;
        fillResult(app_);
        app_.screen = ScreenResults;
        frames(2);
        app_.shareRequested = true;
        frame();
    }

    EXPECT_EQ(app_.toast,
              "Copied to your clipboard \xE2\x80\x94 paste it into Discord with Ctrl+V. Also saved in Pictures/Tarvion.");
    std::filesystem::path image;
    for (const auto& e : std::filesystem::directory_iterator(home / "Pictures" / "Tarvion")) image = e.path();
    ASSERT_FALSE(image.empty());
    const std::vector<uint8_t> saved = test_files::readBytes(image);
    ASSERT_GT(saved.size(), 3u * 1000 * 540);
    EXPECT_EQ(be32(saved, 16), 1000u);
    EXPECT_EQ(be32(saved, 20), 540u);

    const std::optional<std::vector<uint8_t>> targets = xclip::paste("TARGETS");
    ASSERT_TRUE(targets.has_value());
    EXPECT_NE(std::string(targets->begin(), targets->end()).find("image/png"), std::string::npos);
    // Pasted twice: the owner keeps answering.
    for (int k = 0; k < 2; ++k) {
        const std::optional<std::vector<uint8_t>> pasted = xclip::paste("image/png");
        ASSERT_TRUE(pasted.has_value());
        EXPECT_TRUE(*pasted == saved) << pasted->size() << " bytes pasted, " << saved.size() << " saved";
    }
    plat::releaseClipboard(0);
}

}  // namespace
