// Tarvion.exe itself as the new build of an update under Wine (the Windows stage names it in
// TARVION_WIN_EXE): it counts as installed once it is up, and only then clears the previous
// version.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/system/exe.h"
#include "platform/system/hash.h"
#include "tests/platform/win32/support.h"
#include "tests/support/scoped_env.h"
#include "updater/steps.h"
#include "updater/updater.h"

namespace {

using namespace win_test;

// The window of a Tarvion.exe that has claimed a profile, or null.
HWND tarvionWindow() {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"TarvionWindow", nullptr); w;
         w = FindWindowExW(nullptr, w, L"TarvionWindow", nullptr))
        if (GetPropW(w, L"TarvionProfileKey")) return w;
    return nullptr;
}

TEST(UpdateRestartUnderWine, TheProgramItselfComesUpAndThenClearsThePreviousVersion) {
    wchar_t built[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"TARVION_WIN_EXE", built, MAX_PATH)) GTEST_SKIP() << "runs in the Windows test stage";
    LoopbackServer server;
    ASSERT_TRUE(server.ready());
    TempFolder dir;
    const fs::path exe = dir.at("Tarvion.exe");
    const std::string oldBuild = "MZ the build that runs now";
    test_files::write(exe, oldBuild);
    const std::string payload = test_files::read(fs::path(built));
    ASSERT_GT(payload.size(), 500000u);
    server.serve("Tarvion-9.0.0.exe", payload);
    dir.write("payload", payload);
    updater::UpdateInfo info;
    info.available = true;
    info.version = "9.0.0";
    info.url = server.url("/Tarvion-9.0.0.exe");
    info.sha256 = plat::sha256File(dir.file("payload"));
    const TempFolder appdata;
    appdata.write("Tarvion/settings.ini", "fullscreen=0\r\ntutorialDone=1\r\ncheckUpdates=0\r\nvolume=0\r\n");
    ScopedEnv profile("APPDATA", appdata.path());

    const updater::InstallOutcome out = updater::installUpdate(info, utf8(exe), true);
    ASSERT_EQ(out.state, updater::UpdateInstalled) << out.message;
    HWND window = tarvionWindow();
    EXPECT_NE(window, nullptr) << "installed before its window was up";
    const fs::path old = u8path(utf8(exe) + ".old");
    for (int i = 0; i < 300 && fs::exists(old); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(fs::exists(old)) << "the new build did not clear the previous version";

    DWORD process = 0;
    if (window) GetWindowThreadProcessId(window, &process);
    HANDLE running = process ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process) : nullptr;
    ASSERT_NE(running, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(running, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 1;
    GetExitCodeProcess(running, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(running);
}

}  // namespace
