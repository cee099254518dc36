// Tarvion.exe itself under Wine (the Windows stage names it in TARVION_WIN_EXE): its window
// is sized by the scale it starts with; the player starts it twice with one profile, and
// the second brings the first to the front and ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/platform/win32/window_probe.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace {

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

TEST(SecondStartUnderWine, TheRunningCopyComesToTheFront) {
    wchar_t exe[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"TARVION_WIN_EXE", exe, MAX_PATH)) GTEST_SKIP() << "runs in the Windows test stage";
    const TempFolder appdata;
    appdata.write("Tarvion/settings.ini", "fullscreen=0\r\ntutorialDone=1\r\ncheckUpdates=0\r\nvolume=0\r\n");
    ScopedEnv profile("APPDATA", appdata.path());
    ScopedEnv noHandover("TARVION_PROFILE_HANDOVER", nullptr);

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
    const win_probe::Size smallest = win_probe::minimumTrackSize(window);
    EXPECT_EQ(smallest.w, win_probe::outerOf(1460, 900).w);
    EXPECT_EQ(smallest.h, win_probe::outerOf(1460, 900).h);
    // Another window is in front when the player starts Tarvion again.
    HWND decoy = CreateWindowExW(0, L"STATIC", L"decoy", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(decoy);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);

    PROCESS_INFORMATION second = startTarvion(exe, L"");
    ASSERT_NE(second.hProcess, nullptr);
    EXPECT_EQ(exitCodeWithin(second, 30000), 0u);
    // The switch reaches the X server and comes back as a focus change a moment later.
    for (int i = 0; i < 100 && GetForegroundWindow() != window; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_EQ(exitCodeWithin(first, 0), static_cast<DWORD>(STILL_ACTIVE)) << "the first copy runs on";

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(exitCodeWithin(first, 60000), 0u);
    DestroyWindow(decoy);
    for (HANDLE h : {first.hProcess, first.hThread, second.hProcess, second.hThread}) CloseHandle(h);
}

}  // namespace
