// The game scan and Arma Reforger's file on a Windows machine (a Wine prefix): the real
// registry with keys planted through "reg import", real drive paths, the process snapshot
// and folder names outside ASCII.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "core/catalog/catalog.h"
#include "integration/detection.h"
#include "integration/reforger.h"
#include "integration/store_sources.h"
#include "platform/base/folders.h"
#include "platform/base/paths.h"
#include "platform/base/process.h"
#include "platform/system/exe.h"
#include "tests/integration/test_support.h"
#include "tests/platform/win32/stalled_pipe.h"
#include "tests/platform/win32/support.h"
#include "tests/support/scoped_env.h"

namespace {

using namespace win_test;

const char* const kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

fs::path fixture(const std::string& relative) {
    return fs::path(TARVION_SOURCE_DIR) / "tests" / "integration" / "data" / u8path(relative);
}

// Backslashes doubled, as Steam and .reg files write them.
std::string escaped(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '\\') out += '\\';
        out += c;
    }
    return out;
}

std::string uninstallEntry(const char* hive, const char* key, const char* display, const char* publisher) {
    return "[" + std::string(hive) + "\\" + kUninstall + "\\" + key + "]\r\n\"DisplayName\"=\"" + display +
           "\"\r\n\"Publisher\"=\"" + publisher + "\"\r\n\r\n";
}

// A Steam folder outside ASCII named in the registry with forward slashes, a second
// library named in libraryfolders.vdf, the fixture's Epic and Riot records under a
// ProgramData of its own, and uninstall entries in all three views.
class MachineScan : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path steam = dir.at("St\xC3\xA9" "am");
        fs::copy(fixture("stores/drive_c/Program Files (x86)/Steam"), steam, fs::copy_options::recursive);
        const fs::path second = dir.at("Library Two");
        fs::copy(fixture("stores/drive_e/Games/Steam"), second, fs::copy_options::recursive);
        std::string forward = utf8(steam);
        for (char& c : forward)
            if (c == '\\') c = '/';
        test_files::write(steam / "steamapps" / "libraryfolders.vdf",
                 "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + escaped(utf8(steam)) +
                     "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + escaped(utf8(second)) + "\"\n\t}\n}\n");
        fs::copy(fixture("stores/drive_c/programdata"), dir.at("ProgramData"), fs::copy_options::recursive);
        programData_ = std::make_unique<ScopedEnv>("ProgramData", dir.file("ProgramData"));

        std::string reg = "[HKEY_CURRENT_USER\\Software\\Valve\\Steam]\r\n\"SteamPath\"=\"" + forward + "\"\r\n\r\n";
        reg += uninstallEntry("HKEY_LOCAL_MACHINE", "Steam App 730", "Counter-Strike 2", "Valve");
        reg += uninstallEntry("HKEY_LOCAL_MACHINE", "TarvionTest COD", "Call of Duty", "Activision Publishing, Inc.");
        reg += uninstallEntry("HKEY_LOCAL_MACHINE", "TarvionTest EFT", "Escape from Tarkov", "Battlestate Games");
        reg += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TarvionTest "
               "EFT]\r\n\"DisplayName\"=\"Escape from Tarkov\"\r\n\r\n";
        reg += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TarvionTest "
               "Apex]\r\n\"DisplayName\"=\"Apex Legends\"\r\n\"Publisher\"=\"Respawn\"\r\n\r\n";
        reg += uninstallEntry("HKEY_CURRENT_USER", "TarvionTest Squad", "Squad", "Offworld Industries");
        ASSERT_TRUE(importRegistry(dir, reg));
    }
    void TearDown() override {
        runCommand("reg delete \"HKCU\\Software\\Valve\" /f >NUL 2>&1");
        for (const char* key : {"Steam App 730", "TarvionTest COD", "TarvionTest EFT"})
            runCommand("reg delete \"HKLM\\" + std::string(kUninstall) + "\\" + key + "\" /f >NUL 2>&1");
        for (const char* key : {"TarvionTest EFT", "TarvionTest Apex"})
            runCommand("reg delete \"HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                       std::string(key) + "\" /f >NUL 2>&1");
        runCommand("reg delete \"HKCU\\" + std::string(kUninstall) + "\\TarvionTest Squad\" /f >NUL 2>&1");
    }

    TempFolder dir;
    std::unique_ptr<ScopedEnv> programData_;
};

TEST_F(MachineScan, TheStoresOfThisMachineGiveTheExactList) {
    struct Expected {
        const char* name;
        const char* source;
        int32_t gameIndex;
    };
    const Expected want[] = {
        {"Counter-Strike 2", "Steam", gameIndexById("cs2")},
        {"VALORANT", "Riot", gameIndexById("valorant")},
        {"Apex Legends", "EA app", gameIndexById("apex")},
        {"Fortnite", "Epic Games", gameIndexById("fortnite")},
        {"Call of Duty (MW / BO6 / Warzone)", "Steam", gameIndexById("cod")},
        {"Arma Reforger", "Steam", gameIndexById("reforger")},
        {"Arma 3", "Steam", -1},
        {"DayZ", "Steam", -1},
        {"DayZ Experimental", "Steam", -1},
        {"Diabotical", "Epic Games", -1},
        {"Escape from Tarkov", "Installed", -1},
        {"Hunt: Showdown \"1896\"", "Steam", -1},
        {"Marvel Rivals", "Steam", -1},
        {"PUBG: BATTLEGROUNDS", "Epic Games", -1},
        {"Rainbow Six\\", "Epic Games", -1},
        {"Rust", "Steam", -1},
        {"Splitgate", "Epic Games", -1},
        {"Squad", "Installed", -1},
    };
    const std::vector<DetectedGame> list = detectInstalledGames(machineScanInputs());
    ASSERT_EQ(list.size(), std::size(want));
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].name, want[i].name) << i;
        EXPECT_EQ(list[i].source, want[i].source) << i << " " << want[i].name;
        EXPECT_EQ(list[i].gameIndex, want[i].gameIndex) << i << " " << want[i].name;
    }
}

TEST_F(MachineScan, RiotByTheGameFolderOnDriveC) {
    const fs::path folder = "C:\\Riot Games\\VALORANT";
    TempFolder empty;
    ScopedEnv noRecords("ProgramData", empty.path());
    std::vector<DetectedGame> list;
    scanRiot(list, machineScanInputs());
    EXPECT_TRUE(list.empty()) << "drives D: and E: are missing, which is no error";
    fs::create_directories(folder);
    scanRiot(list, machineScanInputs());
    fs::remove_all("C:\\Riot Games");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "VALORANT");
}

// A Steam folder in the registry that names a named pipe whose server never writes: the
// scan reads only files on a disk, so it ends at once instead of leaving the scan thread
// (and with it the program's exit) waiting in a read.
TEST_F(MachineScan, ASteamPathNamingAPipeEndsTheScanAtOnce) {
    const std::string pipe = "\\\\.\\pipe\\tarvion-steam-" + std::to_string(GetCurrentProcessId());
    const std::string vdf = pipe + "\\steamapps\\libraryfolders.vdf";
    pipe_test::StalledPipe server(std::wstring(vdf.begin(), vdf.end()));
    ASSERT_TRUE(server.ok());
    ASSERT_TRUE(importRegistry(dir, "[HKEY_CURRENT_USER\\Software\\Valve\\Steam]\r\n\"SteamPath\"=\"" + escaped(pipe) +
                                        "\"\r\n\r\n"));
    std::vector<DetectedGame> list;
    ASSERT_TRUE(pipe_test::finishesWithin(std::chrono::seconds(5), server, [&] { scanSteam(list, machineScanInputs()); }))
        << "the scan blocked reading the pipe";
    EXPECT_TRUE(list.empty());
}

// Arma Reforger's profile under a Documents folder whose name holds characters outside
// ASCII (and outside most ANSI code pages).
class ReforgerFile : public ::testing::Test {
protected:
    fs::path profile(const std::string& user) const {
        return dir.at("Dokumenty \xC5\x81\xC3\xB3\xC5\xBA") / "My Games" / "ArmaReforger" / "profile" / ".save" /
               ("app1874880_user" + user) / "settings" / "ReforgerGameSettings.conf";
    }
    std::string documents() const { return dir.file("Dokumenty \xC5\x81\xC3\xB3\xC5\xBA"); }
    TempFolder dir;
};

TEST_F(ReforgerFile, NewestProfileReadAndRewrittenInPlace) {
    test_files::write(profile("1111"), "m_fMouseSensitivity 0.3\r\n");
    test_files::write(profile("2222"), "x 1\r\nm_fMouseSensitivity 0.75\r\nm_fFirstPersonFOV 74\r\n");
    fs::last_write_time(profile("1111"), fs::last_write_time(profile("2222")) - std::chrono::hours(1));
    const ReforgerSettings s = locateReforgerSettings(documents());
    ASSERT_TRUE(s.found);
    EXPECT_EQ(s.path, utf8(profile("2222")));
    EXPECT_DOUBLE_EQ(s.mouseSensitivity, 0.75);
    EXPECT_DOUBLE_EQ(s.firstPersonFov, 74);

    std::string message;
    ASSERT_TRUE(writeReforgerSens(s.path, 0.8, message)) << message;
    EXPECT_EQ(test_files::read(profile("2222")), "x 1\r\nm_fMouseSensitivity 0.8\r\nm_fFirstPersonFOV 74\r\n");
    EXPECT_EQ(test_files::read(u8path(s.path + ".tarvion-backup")), "x 1\r\nm_fMouseSensitivity 0.75\r\nm_fFirstPersonFOV 74\r\n");
    EXPECT_FALSE(fs::exists(u8path(s.path + ".tarvion-tmp")));
    ASSERT_TRUE(writeReforgerSens(s.path, 1.2, message)) << message;
    EXPECT_EQ(test_files::read(u8path(s.path + ".tarvion-backup")), "x 1\r\nm_fMouseSensitivity 0.75\r\nm_fFirstPersonFOV 74\r\n");
    EXPECT_NE(test_files::read(profile("2222")).find("m_fMouseSensitivity 1.2\r\n"), std::string::npos);
}

TEST_F(ReforgerFile, TheRunningGameBlocksTheWriteItsServerDoesNot) {
    test_files::write(profile("1"), "m_fMouseSensitivity 0.5\r\n");
    ReforgerHost host;
    host.documentsKnown = true;
    host.documents = documents();
    for (const char* exeName : {"ArmaReforgerServer.exe", "ArmaReforgerSteam.exe"}) {
        const fs::path exe = dir.at("bin") / exeName;
        fs::create_directories(exe.parent_path());
        fs::copy_file(UPDATER_DUMMY_EXE, exe, fs::copy_options::overwrite_existing);
        ASSERT_TRUE(plat::setEnv("TARVION_DUMMY_HOLD_MS", "3000"));
        ASSERT_TRUE(plat::launchExecutable(utf8(exe)));
        plat::unsetEnv("TARVION_DUMMY_HOLD_MS");
        ASSERT_TRUE(waitForFile(u8path(utf8(exe) + ".ran")));
        const bool game = std::string(exeName) == "ArmaReforgerSteam.exe";
        EXPECT_EQ(isReforgerRunning(), game) << exeName;
        host.processesKnown = plat::runningProcessNames(host.processNames);
        std::string message;
        EXPECT_EQ(applyReforgerSens(0.6, message, host), !game) << message;
        if (game) {
            EXPECT_EQ(message, "Close Arma Reforger first - it rewrites its settings file when it exits.");
        }
    }
}

TEST_F(ReforgerFile, TheShellsDocumentsFolder) {
    std::string documents;
    ASSERT_TRUE(plat::documentsFolder(documents));
    const fs::path file = u8path(documents) / "My Games" / "ArmaReforger" / "profile" / ".save" /
                          "app1874880_user9" / "settings" / "ReforgerGameSettings.conf";
    test_files::write(file, "m_fMouseSensitivity 0.42\n");
    const ReforgerSettings s = locateReforgerSettings();
    fs::remove_all(u8path(documents) / "My Games" / "ArmaReforger");
    ASSERT_TRUE(s.found);
    EXPECT_DOUBLE_EQ(s.mouseSensitivity, 0.42);
    EXPECT_EQ(s.path, utf8(file));
}

}  // namespace
