// The window under Wine: its smallest tracking size (WM_GETMINMAXINFO) follows the UI scale,
// a WM_DPICHANGED moves it to the suggested rectangle and rebuilds the UI for the new scale,
// and a second start of Tarvion.exe with the same profile brings the first to the front.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "app/input.h"
#include "core/app.h"
#include "imgui.h"
#include "platform/input.h"
#include "platform/instance.h"
#include "platform/window.h"
#include "ui/kit.h"

namespace {

// The smallest outer size the window answers WM_GETMINMAXINFO with.
SIZE minimumTrackSize(HWND window) {
    MINMAXINFO info{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return SIZE{info.ptMinTrackSize.x, info.ptMinTrackSize.y};
}

SIZE outerOf(int32_t w, int32_t h) {
    RECT r{0, 0, w, h};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

class WindowUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        app_.hwnd = plat::createGlWindow("window test", 1600, 900, nullptr);
        ASSERT_NE(app_.hwnd, nullptr);
        app_.fullscreen = false;
    }
    void TearDown() override {
        if (ImGui::GetCurrentContext()) ImGui::DestroyContext();
        plat::destroyGlWindow(app_.hwnd);
    }
    void pump() {
        std::vector<plat::Event> events;
        plat::pumpEvents(app_.hwnd, events);
        for (const plat::Event& e : events) handleEvent(app_, e);
    }
    // The smallest client size at the scale: the UI's, but no more than the work area holds.
    SIZE expectedMinimum(float scale) {
        const plat::Rect work = plat::workArea(app_.hwnd);
        int32_t l = 0, t = 0, r = 0, b = 0;
        plat::frameExtents(app_.hwnd, &l, &t, &r, &b);
        int32_t w = static_cast<int32_t>(std::ceil(1168 * scale)), h = static_cast<int32_t>(std::ceil(720 * scale));
        w = std::min(w, work.w - l - r);
        h = std::min(h, work.h - t - b);
        return outerOf(w, h);
    }
    App app_;
};

TEST_F(WindowUnderWine, TheSmallestTrackingSizeFollowsTheUiScale) {
    for (float scale : {1.0f, 1.25f, 1.5f, 2.0f}) {
        SCOPED_TRACE(scale);
        app_.uiScale = scale;
        applyWindowMode(app_);
        const SIZE want = expectedMinimum(scale);
        const SIZE got = minimumTrackSize(static_cast<HWND>(app_.hwnd));
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        RECT outer{};
        GetWindowRect(static_cast<HWND>(app_.hwnd), &outer);
        EXPECT_GE(outer.right - outer.left, want.cx);
        EXPECT_GE(outer.bottom - outer.top, want.cy);
    }
}

TEST_F(WindowUnderWine, ANewMonitorScaleTakesTheSuggestedRectangleAndRebuildsTheUi) {
    ImGui::CreateContext();
    app_.uiScale = 1;
    loadFontsAndTheme(app_);
    applyWindowMode(app_);
    plat::showAndFocus(app_.hwnd);
    const HWND window = static_cast<HWND>(app_.hwnd);
    const SIZE outer = expectedMinimum(1.5f);
    RECT suggested{40, 30, 40 + outer.cx + 20, 30 + outer.cy};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    pump();
    EXPECT_FLOAT_EQ(app_.uiScale, 1.5f);
    EXPECT_FLOAT_EQ(static_cast<ImFont*>(app_.fontBody)->ConfigData->SizePixels, 27);
    EXPECT_FLOAT_EQ(ImGui::GetStyle().WindowPadding.x, 24);
    RECT now{};
    GetWindowRect(window, &now);
    EXPECT_EQ(now.left, suggested.left);
    EXPECT_EQ(now.top, suggested.top);
    EXPECT_EQ(now.right, suggested.right);
    EXPECT_EQ(now.bottom, suggested.bottom);
    const SIZE got = minimumTrackSize(window);
    EXPECT_EQ(got.cx, outer.cx);
    EXPECT_EQ(got.cy, outer.cy);
    // Back on a monitor at 100 %: everything as at the start.
    RECT back{40, 30, 40 + 1600 + 16, 30 + 939};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back));
    pump();
    EXPECT_FLOAT_EQ(app_.uiScale, 1);
    EXPECT_FLOAT_EQ(ImGui::GetStyle().WindowPadding.x, 16);
    EXPECT_EQ(minimumTrackSize(window).cx, expectedMinimum(1).cx);
}

// The window of Tarvion.exe that has published itself for the profile, or null.
HWND tarvionWindow(DWORD process) {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"TarvionWindow", nullptr); w;
         w = FindWindowExW(nullptr, w, L"TarvionWindow", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == process && GetPropW(w, L"TarvionProfileKey")) return w;
    }
    return nullptr;
}

PROCESS_INFORMATION startTarvion(const std::wstring& exe, const std::wstring& args) {
    std::wstring line = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) pi = {};
    return pi;
}

DWORD exitCodeWithin(const PROCESS_INFORMATION& pi, DWORD ms) {
    if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

// Tarvion.exe itself (the Windows stage names it in TARVION_WIN_EXE): its window is sized by
// the scale it starts with; the player starts it twice with one profile, and the second
// brings the first to the front and ends.
TEST(SecondStartUnderWine, TheRunningCopyComesToTheFront) {
    wchar_t exe[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"TARVION_WIN_EXE", exe, MAX_PATH)) GTEST_SKIP() << "runs in the Windows test stage";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring appdata = std::wstring(temp) + L"tarvion_second_start_" + std::to_wstring(GetCurrentProcessId());
    const std::wstring folder = appdata + L"\\Tarvion";
    CreateDirectoryW(appdata.c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    HANDLE file = CreateFileW((folder + L"\\settings.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const char settings[] = "fullscreen=0\r\ntutorialDone=1\r\ncheckUpdates=0\r\nvolume=0\r\n";
    DWORD written = 0;
    WriteFile(file, settings, sizeof settings - 1, &written, nullptr);
    CloseHandle(file);
    SetEnvironmentVariableW(L"APPDATA", appdata.c_str());
    SetEnvironmentVariableW(L"TARVION_PROFILE_HANDOVER", nullptr);

    // Sized by the scale it runs at from the start: the smallest size at 1.25 is 1460 x 900.
    PROCESS_INFORMATION first = startTarvion(exe, L"--scale 1.25 --size 1280x720");
    ASSERT_NE(first.hProcess, nullptr);
    HWND window = nullptr;
    for (int i = 0; i < 600 && !window; ++i) {
        window = tarvionWindow(first.dwProcessId);
        if (!window) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_NE(window, nullptr) << "the first copy showed no window";
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 1460);
    EXPECT_EQ(client.bottom, 900);
    const SIZE smallest = minimumTrackSize(window);
    EXPECT_EQ(smallest.cx, outerOf(1460, 900).cx);
    EXPECT_EQ(smallest.cy, outerOf(1460, 900).cy);
    // Another window is in front when the player starts Tarvion again.
    HWND decoy = CreateWindowExW(0, L"STATIC", L"decoy", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(decoy);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);

    PROCESS_INFORMATION second = startTarvion(exe, L"");
    ASSERT_NE(second.hProcess, nullptr);
    EXPECT_EQ(exitCodeWithin(second, 30000), 0u);
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_EQ(exitCodeWithin(first, 0), static_cast<DWORD>(STILL_ACTIVE)) << "the first copy runs on";

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(exitCodeWithin(first, 60000), 0u);
    DestroyWindow(decoy);
    for (HANDLE h : {first.hProcess, first.hThread, second.hProcess, second.hThread}) CloseHandle(h);
}

}  // namespace
