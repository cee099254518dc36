#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>

#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "integration/detection.h"
#include "integration/reforger.h"
#include "tests/integration/test_support.h"
#include "tests/support/scoped_env.h"
#ifndef _WIN32
#include "platform/base/files.h"
#include "tests/support/fifo_watchdog.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/killed_write.h"
#endif

namespace {

namespace fs = std::filesystem;

const char* const kUnexpected = "Reforger's settings file has an unexpected format - nothing was changed.";
const char* const kSlider = "That sens is outside Reforger's slider (0.1 - 2.0). Change your DPI so it fits (see Perfect DPI).";

TEST(FindNumberAfterKey, WhatCountsAsTheKeysNumber) {
    const std::string key = "m_fMouseSensitivity";
    struct Case {
        std::string text;
        bool found;
        std::string number;  // the characters at pos, len
        double value;
    };
    const Case cases[] = {
        {" m_fMouseSensitivity 0.75\r\n", true, "0.75", 0.75},
        {"m_fMouseSensitivity 1.5", true, "1.5", 1.5},  // at the start, the run reaching the end
        {"\tm_fMouseSensitivity 2\n", true, "2", 2},
        {"\nm_fMouseSensitivity -0.5}", true, "-0.5", -0.5},
        {"\rm_fMouseSensitivity 0.75", false, "", 0},  // a carriage return does not qualify
        {"xm_fMouseSensitivity 0.75", false, "", 0},
        {" m_fMouseSensitivity  0.75", false, "", 0},  // two blanks
        {" m_fMouseSensitivity: 0.75", false, "", 0},
        {" m_fMouseSensitivity\t0.75", false, "", 0},
        {" m_fMouseSensitivity ", false, "", 0},  // nothing after the blank
        {" m_fMouseSensitivity 1e-05\n", false, "", 0},  // exponent form
        {" m_fMouseSensitivity 2E3\n", false, "", 0},
        {" m_fMouseSensitivity -.\n", false, "", 0},  // no digit
        {" m_fMouseSensitivity nan\n", false, "", 0},
        // A failing occurrence moves the search on to the next one.
        {" m_fMouseSensitivityADS 0.4\n m_fMouseSensitivity 0.8\n", true, "0.8", 0.8},
        {" m_fMouseSensitivity 1e-05\n m_fMouseSensitivity 0.3\n", true, "0.3", 0.3},
        {" m_fMouseSensitivity 1.2.3 ", true, "1.2.3", 1.2},  // the longest run; its leading number
    };
    for (const Case& c : cases) {
        size_t pos = 99, len = 99;
        double value = -1;
        ASSERT_EQ(findNumberAfterKey(c.text, key, pos, len, value), c.found) << c.text;
        if (!c.found) continue;
        EXPECT_EQ(c.text.substr(pos, len), c.number) << c.text;
        EXPECT_DOUBLE_EQ(value, c.value) << c.text;
    }
}

TEST(ReforgerNumberText, ThreeDecimalsWithoutTrailingZeros) {
    const std::pair<double, const char*> cases[] = {
        {0.45, "0.45"}, {1.2, "1.2"}, {1.0, "1.0"}, {0.123, "0.123"}, {0.1, "0.1"},
        {2.0, "2.0"},   {0.46, "0.46"}, {0.1004, "0.1"},
    };
    for (const auto& [sens, text] : cases) EXPECT_EQ(reforgerNumberText(sens), text) << sens;
}

TEST(IsReforgerProcess, TheGameButNotItsServerOrTools) {
    EXPECT_TRUE(isReforgerProcess("ArmaReforgerSteam.exe"));
    EXPECT_TRUE(isReforgerProcess("armareforger.exe"));
    EXPECT_FALSE(isReforgerProcess("ArmaReforgerServer.exe"));
    EXPECT_FALSE(isReforgerProcess("ArmaReforgerWorkbenchTools.exe"));
    EXPECT_FALSE(isReforgerProcess("Arma3.exe"));
}

// A scratch copy of the fixture Documents folder with two profiles.
class ReforgerFiles : public ::testing::Test {
protected:
    void SetUp() override {
        docs = testing_support::copyFixture(dir, "reforger") / "Documents";
        save = docs / "My Games" / "ArmaReforger" / "profile" / ".save";
        profileA = save / "app1874880_user1111" / "settings" / "ReforgerGameSettings.conf";
        profileB = save / "app1874880_user2222" / "settings" / "ReforgerGameSettings.conf";
        setAge(profileA, 3);
        setAge(profileB, 2);
        host.documentsKnown = true;
        host.documents = docs.string();
        host.processesKnown = true;
        host.processNames = {"systemd", "ArmaReforgerServer.exe"};
        savedOps = reforgerFileOps();
    }
    void TearDown() override {
        reforgerFileOps() = savedOps;
        resetCalibratedYaws();
    }

    static void setAge(const fs::path& file, int hours) {
        fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(hours));
    }

    static bool exists(const fs::path& p) { return fs::exists(fs::symlink_status(p)); }

    fs::path backupOf(const fs::path& p) const { return p.string() + ".tarvion-backup"; }
    fs::path tempOf(const fs::path& p) const { return p.string() + ".tarvion-tmp"; }

    TempFolder dir;
    fs::path docs, save, profileA, profileB;
    ReforgerHost host;
    ReforgerFileOps savedOps{};
};

TEST_F(ReforgerFiles, LocateTakesTheNewestProfileWithASettingsFile) {
    ReforgerSettings s = locateReforgerSettings(docs.string());
    ASSERT_TRUE(s.found);
    EXPECT_EQ(s.path, profileB.string());
    EXPECT_DOUBLE_EQ(s.mouseSensitivity, 0.5);
    EXPECT_DOUBLE_EQ(s.firstPersonFov, 90);

    setAge(profileA, 1);
    // A profile folder without a settings file never wins, however new.
    fs::last_write_time(save / "app1874880_user3333", fs::file_time_type::clock::now());
    s = locateReforgerSettings(docs.string());
    ASSERT_TRUE(s.found);
    EXPECT_EQ(s.path, profileA.string());
    EXPECT_DOUBLE_EQ(s.mouseSensitivity, 0.75);
    EXPECT_DOUBLE_EQ(s.firstPersonFov, 74);

    // Equal times: the one listed first stays.
    const auto t = fs::last_write_time(profileA);
    fs::last_write_time(profileB, t);
    EXPECT_EQ(locateReforgerSettings(docs.string()).path, profileA.string());
}

#ifndef _WIN32
TEST_F(ReforgerFiles, AFifoInPlaceOfTheSettingsFileReadsAsNotFoundWithoutBlocking) {
    // The newest profile's file and the shared one, each in turn a FIFO.
    const fs::path shared = save / "settings" / "ReforgerGameSettings.conf";
    for (const fs::path& victim : {profileB, shared}) {
        SCOPED_TRACE(victim.string());
        if (victim == shared) {
            fs::remove_all(save / "app1874880_user1111");
            fs::remove_all(save / "app1874880_user2222");
        }
        fs::remove(victim);
        ASSERT_TRUE(fifo_test::makeFifo(victim));
        ReforgerSettings s;
        std::string message;
        bool applied = true;
        ASSERT_TRUE(fifo_test::finishesWithin(std::chrono::seconds(5), {victim}, [&] {
            s = locateReforgerSettings(docs.string());
            applied = writeReforgerSens(victim.string(), 0.8, message);
        })) << "reading the FIFO blocked";
        EXPECT_FALSE(s.found);
        EXPECT_FALSE(applied);
        EXPECT_EQ(message, "Couldn't read Reforger's settings file - nothing was changed.");
        EXPECT_FALSE(exists(backupOf(victim)));
    }
}
#endif

TEST_F(ReforgerFiles, LocateFallsBackToTheSharedSettingsAndReportsMissingFiles) {
    fs::remove_all(save / "app1874880_user1111");
    fs::remove_all(save / "app1874880_user2222");
    ReforgerSettings s = locateReforgerSettings(docs.string());
    ASSERT_TRUE(s.found);
    EXPECT_EQ(s.path, (save / "settings" / "ReforgerGameSettings.conf").string());
    EXPECT_DOUBLE_EQ(s.mouseSensitivity, 1.25);
    EXPECT_DOUBLE_EQ(s.firstPersonFov, 0);  // no FOV key

    test_files::write(save / "settings" / "ReforgerGameSettings.conf", " m_fFirstPersonFOV 80\n");
    s = locateReforgerSettings(docs.string());
    EXPECT_FALSE(s.found);
    EXPECT_EQ(s.path, "");
    EXPECT_EQ(s.firstPersonFov, 0);
    EXPECT_FALSE(locateReforgerSettings((dir.at("no-documents")).string()).found);
}

TEST_F(ReforgerFiles, WriteChangesOnlyTheNumberAndKeepsTheFirstBackup) {
    const std::string original = test_files::read(profileA);
    std::string message;
    ASSERT_TRUE(writeReforgerSens(profileA.string(), 0.8, message));
    EXPECT_EQ(message, "Done - Reforger mouse sensitivity set to 0.8 (was 0.75). A backup of the original is next to the file.");
    std::string expected = original;
    expected.replace(expected.find("0.75\r\n"), 4, "0.8");
    EXPECT_EQ(test_files::read(profileA), expected);
    EXPECT_EQ(test_files::read(backupOf(profileA)), original);
    EXPECT_FALSE(exists(tempOf(profileA)));

    ASSERT_TRUE(writeReforgerSens(profileA.string(), 1.234, message));
    EXPECT_EQ(message, "Done - Reforger mouse sensitivity set to 1.234 (was 0.80). A backup of the original is next to the file.");
    EXPECT_EQ(test_files::read(backupOf(profileA)), original);
    expected.replace(expected.find("0.8\r\n"), 3, "1.234");
    EXPECT_EQ(test_files::read(profileA), expected);
}

bool refuse(const std::string&, const std::string&) { return false; }

TEST_F(ReforgerFiles, EveryFailedWriteLeavesTheFileAsItWas) {
    const fs::path file = profileA;
    const std::string original = test_files::read(file);
    struct Case {
        const char* label;
        std::function<void()> arrange;
        std::string path;
        const char* message;
        bool fullDisk = false;  // writes fail part-way, as on a full disk
    };
    const std::vector<Case> cases = {
        {"missing file", [] {}, (save / "nope.conf").string(),
         "Couldn't read Reforger's settings file - nothing was changed."},
        {"a folder", [] {}, save.string(), "Couldn't read Reforger's settings file - nothing was changed."},
        {"missing key", [&] { test_files::write(file, " m_fStickSensitivity 0.5\r\n"); }, file.string(), kUnexpected},
        {"key glued", [&] { test_files::write(file, "xm_fMouseSensitivity 0.5\r\n"); }, file.string(), kUnexpected},
        {"exponent", [&] { test_files::write(file, " m_fMouseSensitivity 1e-05\r\n"); }, file.string(), kUnexpected},
        {"no digits", [&] { test_files::write(file, " m_fMouseSensitivity -\r\n"); }, file.string(), kUnexpected},
        {"backup cannot be made", [&] { fs::create_symlink(dir.at("nowhere"), backupOf(file)); },
         file.string(), "Couldn't back up Reforger's settings file - nothing was changed."},
        {"temporary file cannot be written", [] {}, file.string(), "Couldn't write Reforger's settings file.", true},
        {"temporary path is a folder", [&] { fs::create_directory(tempOf(file)); }, file.string(),
         "Couldn't write Reforger's settings file."},
        {"rename refused", [] { reforgerFileOps().replaceFile = refuse; }, file.string(),
         "Couldn't replace Reforger's settings file (is it read-only?)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        test_files::write(file, original);
        std::error_code ignored;
        fs::remove_all(backupOf(file), ignored);
        fs::remove_all(tempOf(file), ignored);
        reforgerFileOps() = savedOps;
        c.arrange();
        const std::string before = test_files::read(file);
        const bool backupBefore = exists(backupOf(file));
        const bool tempWasFolder = fs::is_directory(tempOf(file));

        std::string message;
        if (c.fullDisk) {
            // The backup is there already; the new text stops half-way.
            ASSERT_TRUE(plat::copyFileNoOverwrite(file.string(), backupOf(file).string()));
            fsize_test::ScopedFileSizeLimit limit(original.size() / 2);
            ASSERT_TRUE(limit.active());
            EXPECT_FALSE(writeReforgerSens(c.path, 0.9, message));
        } else {
            EXPECT_FALSE(writeReforgerSens(c.path, 0.9, message));
        }
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(test_files::read(file), before);
        // The temporary file never outlives a failed write (a folder in its place is not ours).
        EXPECT_EQ(exists(tempOf(file)), tempWasFolder);
        // A backup is made only past the format check, and is the original.
        if (!backupBefore && exists(backupOf(file))) {
            EXPECT_EQ(test_files::read(backupOf(file)), before);
        }
        if (std::string(c.message) == kUnexpected || c.path != file.string()) {
            EXPECT_FALSE(exists(backupOf(file)));
        }
    }
}

#ifndef _WIN32
// Whatever stands at the temporary name is removed, never written through or waited on: the
// file a link there points at keeps its bytes, and the settings file itself takes the text.
TEST_F(ReforgerFiles, WhatStandsAtTheTemporaryNameIsNeverFollowedOrOpened) {
    const fs::path file = profileA, victim = dir.at("victim.conf");
    const std::string original = test_files::read(file);
    struct Case {
        const char* what;
        std::function<void()> make;
    };
    const Case cases[] = {
        {"a FIFO", [&] { ASSERT_TRUE(fifo_test::makeFifo(tempOf(file))); }},
        {"a link to another file", [&] { fs::create_symlink(victim, tempOf(file)); }},
        {"a link to the settings file", [&] { fs::create_symlink(file, tempOf(file)); }},
        {"a dangling link", [&] { fs::create_symlink(dir.at("nowhere"), tempOf(file)); }},
        {"a file left by a failed write", [&] { test_files::write(tempOf(file), "left over"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test_files::write(file, original);
        test_files::write(victim, "not Reforger's");
        std::error_code ignored;
        fs::remove(tempOf(file), ignored);
        c.make();
        std::string message;
        bool written = false;
        ASSERT_TRUE(fifo_test::finishesWithin(std::chrono::seconds(5), {tempOf(file)},
                                              [&] { written = writeReforgerSens(file.string(), 0.9, message); }))
            << "the write blocked on the FIFO";
        EXPECT_TRUE(written) << message;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file)));
        std::string expected = original;
        expected.replace(expected.find("0.75\r\n"), 4, "0.9");
        EXPECT_EQ(test_files::read(file), expected);
        EXPECT_EQ(test_files::read(victim), "not Reforger's");
        EXPECT_FALSE(exists(dir.at("nowhere")));
        EXPECT_FALSE(exists(tempOf(file)));
    }
}
#endif

#ifndef _WIN32
// A kill in the middle of the backup's copy, at its first byte, half-way and at its last
// byte, twice over: nothing may stand at the backup's name then (a cut copy there would count
// as the backup for good). The next write makes the backup whole, and no piece is left beside.
TEST_F(ReforgerFiles, AKillDuringTheBackupNeverLeavesACutOne) {
    const fs::path file = profileA;
    const std::string original = test_files::read(file);
    const fs::path folder = file.parent_path();
    for (const size_t killedAt : {size_t(0), original.size() / 2, original.size() - 1}) {
        SCOPED_TRACE("killed after " + std::to_string(killedAt) + " of " + std::to_string(original.size()) + " bytes");
        std::error_code ignored;
        fs::remove(backupOf(file), ignored);
        for (int kill = 0; kill < 2; ++kill) {
            ASSERT_TRUE(killed_write::killedAtByte(killedAt, [&] {
                std::string message;
                writeReforgerSens(file.string(), 0.9, message);
            })) << "the child was not killed mid-write";
            EXPECT_EQ(test_files::read(file), original);
            EXPECT_FALSE(exists(backupOf(file))) << "the backup is cut: " << test_files::read(backupOf(file)).size()
                                                 << " bytes";
        }
        std::string message;
        ASSERT_TRUE(writeReforgerSens(file.string(), 0.9, message)) << message;
        EXPECT_EQ(message, "Done - Reforger mouse sensitivity set to 0.9 (was 0.75). A backup of the original is next "
                           "to the file.");
        EXPECT_EQ(test_files::read(backupOf(file)), original);
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"ReforgerGameSettings.conf",
                                                   "ReforgerGameSettings.conf.tarvion-backup"}));
        test_files::write(file, original);
    }
}
#endif

// Only a regular file is a backup: a folder or a FIFO at its name holds no copy of the
// original, so the write is refused rather than claiming one is there.
TEST_F(ReforgerFiles, OnlyARegularFileCountsAsTheBackup) {
    const fs::path file = profileA;
    const std::string original = test_files::read(file);
    struct Case {
        const char* what;
        std::function<void()> make;
    };
    const std::vector<Case> cases = {
        {"a folder", [&] { fs::create_directory(backupOf(file)); }},
#ifndef _WIN32
        {"a FIFO", [&] { ASSERT_TRUE(fifo_test::makeFifo(backupOf(file))); }},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::error_code ignored;
        fs::remove_all(backupOf(file), ignored);
        c.make();
        std::string message;
        EXPECT_FALSE(writeReforgerSens(file.string(), 0.9, message));
        EXPECT_EQ(message, "Couldn't back up Reforger's settings file - nothing was changed.");
        EXPECT_EQ(test_files::read(file), original);
        EXPECT_FALSE(fs::is_regular_file(backupOf(file)));
    }
    // A real backup is kept as it is, and the write goes ahead.
    fs::remove_all(backupOf(file));
    test_files::write(backupOf(file), "the first original");
    std::string message;
    EXPECT_TRUE(writeReforgerSens(file.string(), 0.9, message)) << message;
    EXPECT_EQ(test_files::read(backupOf(file)), "the first original");
}

TEST_F(ReforgerFiles, ApplyChecksSliderRunningGameAndFile) {
    const std::string original = test_files::read(profileB);
    struct Case {
        double sens;
        bool ok;
        const char* message;  // nullptr: the success text
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {2.01, false, kSlider}, {0.09, false, kSlider}, {nan, false, kSlider}, {inf, false, kSlider},
        {-inf, false, kSlider}, {2.0, true, nullptr},   {0.1, true, nullptr},
    };
    for (const Case& c : cases) {
        std::string message;
        EXPECT_EQ(applyReforgerSens(c.sens, message, host), c.ok) << c.sens;
        if (c.message) {
            EXPECT_EQ(message, c.message) << c.sens;
            EXPECT_EQ(test_files::read(profileB), original) << c.sens;
        } else {
            EXPECT_EQ(message.rfind("Done - Reforger mouse sensitivity set to " + reforgerNumberText(c.sens), 0), 0u);
            EXPECT_EQ(locateReforgerSettings(docs.string()).mouseSensitivity, c.sens);
        }
    }

    const std::string now = test_files::read(profileB);
    std::string message;
    ReforgerHost running = host;
    running.processNames.push_back("ArmaReforgerSteam.exe");
    EXPECT_FALSE(applyReforgerSens(1.0, message, running));
    EXPECT_EQ(message, "Close Arma Reforger first - it rewrites its settings file when it exits.");
    EXPECT_EQ(test_files::read(profileB), now);

    ReforgerHost nowhere = host;
    nowhere.documents = (dir.at("empty")).string();
    EXPECT_FALSE(applyReforgerSens(1.0, message, nowhere));
    EXPECT_EQ(message, "Couldn't find Reforger's settings file. Launch Reforger once, then try again.");
    ReforgerHost noDocuments = host;
    noDocuments.documentsKnown = false;
    EXPECT_FALSE(applyReforgerSens(1.0, message, noDocuments));
    EXPECT_EQ(message, "Couldn't find Reforger's settings file. Launch Reforger once, then try again.");
}

TEST_F(ReforgerFiles, ApplyToReforgerOnlyForACalibratedReforger) {
    App app;
    app.resultConfig.dpi = 800;
    const std::string original = test_files::read(profileB);
    for (const char* id : {"cs2", "reforger"}) {  // reforger before its calibration: yaw 0
        app.reforgerStatus.clear();
        app.reforgerStatusOk = true;
        applyToReforger(app, gameIndexById(id), 40, host);
        EXPECT_EQ(app.reforgerStatus, "Only Arma Reforger can be set automatically.") << id;
        EXPECT_FALSE(app.reforgerStatusOk);
        EXPECT_FALSE(app.reforger.found);  // untouched
    }
    EXPECT_EQ(test_files::read(profileB), original);

    // A yaw at which 40 cm/360 and 800 DPI is a sensitivity of 0.456: written as 0.46.
    setCalibratedYaw("reforger", kCm360Factor / (0.456 * 40 * 800));
    applyToReforger(app, gameIndexById("reforger"), 40, host);
    EXPECT_TRUE(app.reforgerStatusOk);
    EXPECT_EQ(app.reforgerStatus,
              "Done - Reforger mouse sensitivity set to 0.46 (was 0.50). A backup of the original is next to the file.");
    ASSERT_TRUE(app.reforger.found);
    EXPECT_DOUBLE_EQ(app.reforger.mouseSensitivity, 0.46);

    // A failed attempt still refreshes App.reforger.
    app.reforger = ReforgerSettings{};
    applyToReforger(app, gameIndexById("reforger"), 4, host);  // 4.56: beyond the slider
    EXPECT_FALSE(app.reforgerStatusOk);
    EXPECT_EQ(app.reforgerStatus, kSlider);
    EXPECT_TRUE(app.reforger.found);
}

// Under Proton the game keeps its Documents inside the Wine prefix of a Steam library. The
// fixture has a prefix in the Steam folder (profile 5555, 0.6) and one in a second library
// (profile 6666, 0.85, and a shared file outside the profiles, 1.1); the player's own
// Documents folder holds nothing.
class ProtonFiles : public ::testing::Test {
protected:
    void SetUp() override {
        root = testing_support::copyFixture(dir, "proton");
        steam = root / "home" / ".local" / "share" / "Steam";
        library = root / "games" / "SteamLibrary";
        inSteam = saveOf(steam) / "app1874880_user5555" / "settings" / "ReforgerGameSettings.conf";
        inLibrary = saveOf(library) / "app1874880_user6666" / "settings" / "ReforgerGameSettings.conf";
        documents = root / "home" / "Documents";
        host.documentsKnown = true;
        host.documents = documents.string();
        host.steamLibraries = {steam.string(), library.string()};
        host.processesKnown = true;
        host.processNames = {"systemd", "steam"};
    }
    static fs::path saveOf(const fs::path& steamLibrary) {
        return steamLibrary / "steamapps" / "compatdata" / "1874880" / "pfx" / "drive_c" / "users" / "steamuser" /
               "Documents" / "My Games" / "ArmaReforger" / "profile" / ".save";
    }
    static void setAge(const fs::path& file, int hours) {
        fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(hours));
    }
    TempFolder dir;
    fs::path root, steam, library, inSteam, inLibrary, documents;
    ReforgerHost host;
};

TEST_F(ProtonFiles, TheNewestProfileAmongDocumentsAndEveryPrefix) {
    const fs::path own = documents / "My Games" / "ArmaReforger" / "profile" / ".save" / "app1874880_user1" /
                         "settings" / "ReforgerGameSettings.conf";
    const struct {
        const char* name;
        int steamAge, libraryAge, ownAge;  // hours; an own age of 0: no own profile
        const fs::path* expected;
        double sens, fov;
    } cases[] = {
        {"the second library's prefix is newer", 2, 1, 0, &inLibrary, 0.85, 82},
        {"the Steam folder's prefix is newer", 1, 2, 0, &inSteam, 0.6, 70},
        {"the player's own Documents are newer", 2, 3, 1, &own, 0.4, 0},
        {"a prefix is newer than the player's own Documents", 2, 1, 3, &inLibrary, 0.85, 82},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(documents);
        if (c.ownAge) {
            test_files::write(own, " m_fMouseSensitivity 0.4\n");
            setAge(own, c.ownAge);
        }
        setAge(inSteam, c.steamAge);
        setAge(inLibrary, c.libraryAge);
        const ReforgerSettings s = locateReforgerSettings(host);
        ASSERT_TRUE(s.found);
        EXPECT_EQ(s.path, c.expected->string());
        EXPECT_DOUBLE_EQ(s.mouseSensitivity, c.sens);
        EXPECT_DOUBLE_EQ(s.firstPersonFov, c.fov);
    }

    // Equal times: the folder looked in first (Documents, then the libraries in order) stays.
    fs::remove_all(documents);
    fs::last_write_time(inLibrary, fs::last_write_time(inSteam));
    EXPECT_EQ(locateReforgerSettings(host).path, inSteam.string());

    // Without the libraries only the empty Documents folder is looked at.
    ReforgerHost documentsOnly = host;
    documentsOnly.steamLibraries.clear();
    EXPECT_FALSE(locateReforgerSettings(documentsOnly).found);
    EXPECT_FALSE(locateReforgerSettings(documents.string()).found);
}

TEST_F(ProtonFiles, ASharedFileIsTheLastResortInTheSameOrder) {
    fs::remove_all(inSteam.parent_path().parent_path());
    fs::remove_all(inLibrary.parent_path().parent_path());
    const fs::path inPrefix = saveOf(library) / "settings" / "ReforgerGameSettings.conf";
    ReforgerSettings s = locateReforgerSettings(host);
    ASSERT_TRUE(s.found);
    EXPECT_EQ(s.path, inPrefix.string());
    EXPECT_DOUBLE_EQ(s.mouseSensitivity, 1.1);

    // The player's own shared file comes first, however old.
    const fs::path own = documents / "My Games" / "ArmaReforger" / "profile" / ".save" / "settings" /
                         "ReforgerGameSettings.conf";
    test_files::write(own, " m_fMouseSensitivity 0.3\n");
    setAge(own, 100);
    EXPECT_EQ(locateReforgerSettings(host).path, own.string());

    // Any profile beats every shared file.
    test_files::write(saveOf(steam) / "app1874880_user7" / "settings" / "ReforgerGameSettings.conf",
               " m_fMouseSensitivity 0.9\n");
    setAge(saveOf(steam) / "app1874880_user7" / "settings" / "ReforgerGameSettings.conf", 200);
    EXPECT_DOUBLE_EQ(locateReforgerSettings(host).mouseSensitivity, 0.9);
}

TEST_F(ProtonFiles, TheFileInThePrefixIsWrittenBack) {
    setAge(inSteam, 2);
    setAge(inLibrary, 1);
    const std::string original = test_files::read(inLibrary);
    std::string message;
    ASSERT_TRUE(applyReforgerSens(0.7, message, host)) << message;
    EXPECT_EQ(message, "Done - Reforger mouse sensitivity set to 0.7 (was 0.85). A backup of the original is next to the file.");
    std::string expected = original;
    expected.replace(expected.find("0.85\r\n"), 4, "0.7");
    EXPECT_EQ(test_files::read(inLibrary), expected);
    EXPECT_EQ(test_files::read(inLibrary.string() + ".tarvion-backup"), original);

    App app;
    app.resultConfig.dpi = 800;
    setCalibratedYaw("reforger", kCm360Factor / (0.5 * 40 * 800));
    applyToReforger(app, gameIndexById("reforger"), 40, host);
    setCalibratedYaw("reforger", 0);
    EXPECT_TRUE(app.reforgerStatusOk) << app.reforgerStatus;
    EXPECT_EQ(app.reforger.path, inLibrary.string());
    EXPECT_DOUBLE_EQ(app.reforger.mouseSensitivity, 0.5);

    // The game running under Proton still blocks the write.
    host.processNames.push_back("ArmaReforgerSteam.exe");
    EXPECT_FALSE(applyReforgerSens(0.8, message, host));
    EXPECT_EQ(message, "Close Arma Reforger first - it rewrites its settings file when it exits.");
}

#ifndef _WIN32
// The machine's own look: the libraries come from the Steam scan (the Steam folder under
// HOME and its libraryfolders.vdf), the same ones that offer the game.
TEST_F(ProtonFiles, TheMachinesSteamLibrariesAreSearched) {
    test_files::write(steam / "steamapps" / "libraryfolders.vdf",
               "\"libraryfolders\" { \"0\" { \"path\" \"" + steam.string() + "\" } \"1\" { \"path\" \"" +
                   library.string() + "\" } }");
    setAge(inSteam, 2);
    setAge(inLibrary, 1);
    ScopedEnv homeVar("HOME", (root / "home").string());
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    const ReforgerSettings s = locateReforgerSettings();
    ASSERT_TRUE(s.found);
    EXPECT_EQ(s.path, inLibrary.string());
    EXPECT_DOUBLE_EQ(s.mouseSensitivity, 0.85);
    const ReforgerHost machine = machineReforgerHost();
    EXPECT_EQ(machine.documents, documents.string());
    EXPECT_EQ(machine.steamLibraries.size(), 2u);
    ScopedEnv programData("ProgramData", std::nullopt);
    const std::vector<DetectedGame> games = detectInstalledGames();
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].name, "Arma Reforger");
    EXPECT_EQ(games[0].gameIndex, gameIndexById("reforger"));
}
#endif

}  // namespace
