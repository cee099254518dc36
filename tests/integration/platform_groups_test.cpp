#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

#include "platform/base/files.h"
#include "platform/base/folders.h"
#include "platform/base/process.h"
#include "platform/base/registry.h"
#include "platform/base/text.h"
#include "tests/integration/test_support.h"
#include "tests/support/scoped_env.h"
#ifndef _WIN32
#include "tests/support/fifo_watchdog.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/forked_child.h"
#endif

namespace {

namespace fs = std::filesystem;

TEST(ResolvePath, WindowsFormPathsReachTheRealFile) {
    TempFolder dir;
    test_files::write(dir.at("Games") / "Steam" / "steamapps" / "a.acf", "x");
    fs::create_directories(dir.at("Mixed") / "sub");
    fs::create_directories(dir.at("mixed") / "other");
    const std::string root = dir.path();
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {root + "/Games/Steam/steamapps/a.acf", root + "/Games/Steam/steamapps/a.acf"},
        {root + "\\games\\STEAM\\SteamApps\\A.ACF", root + "/Games/Steam/steamapps/a.acf"},
        {root + "\\\\Games//Steam\\", root + "/Games/Steam"},
        // An exact match wins over one that differs in case.
        {root + "/mixed/other", root + "/mixed/other"},
        {root + "/MIXED/sub", root + "/Mixed/sub"},
        // Past the first missing component the rest stays as written.
        {root + "\\Games\\Nope\\Deeper", root + "/Games/Nope/Deeper"},
        {"C:\\ProgramData", ""},
        {"d:", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(plat::resolvePath(c.in), c.out) << c.in;
}

TEST(MatchesPattern, WildcardsWithoutRegardToCase) {
    struct Case {
        const char* name;
        const char* pattern;
        bool match;
    };
    const Case cases[] = {
        {"appmanifest_730.acf", "appmanifest_*.acf", true},
        {"APPMANIFEST_730.ACF", "appmanifest_*.acf", true},
        {"appmanifest_.acf", "appmanifest_*.acf", true},
        {"appmanifest_730.acf.bak", "appmanifest_*.acf", false},
        {"x.item", "*.item", true},
        {"x.items", "*.item", false},
        {"app1874880_user42", "app1874880_user*", true},
        {"app1874880_use", "app1874880_user*", false},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"aXbXc", "*b*c", true},
        {"", "*", true},
        // A '*' in the name is a plain character, matched by the pattern's wildcard.
        {"*.", "*", true},
        {"a*b", "a*", true},
        {"a*b", "a*b", true},
        {"*", "*", true},
        {"x*y.acf", "*.acf", true},
        {"*", "?", true},
        {"*", "a", false},
        {"ab", "a*b*", true},
    };
    for (const Case& c : cases) EXPECT_EQ(plat::matchesPattern(c.name, c.pattern), c.match) << c.name << " " << c.pattern;
}

TEST(FindFiles, MatchesInCaseInsensitiveOrderWithFolderFlags) {
    TempFolder dir;
    dir.write("b.item", "");
    dir.write("A.ITEM", "");
    dir.write("c.txt", "");
    fs::create_directories(dir.at("d.item"));
    const std::vector<plat::FileEntry> found = plat::findFiles(dir.path() + "\\*.item");
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].name, "A.ITEM");
    EXPECT_EQ(found[1].name, "b.item");
    EXPECT_EQ(found[2].name, "d.item");
    EXPECT_FALSE(found[0].isFolder);
    EXPECT_TRUE(found[2].isFolder);
    EXPECT_TRUE(plat::findFiles(dir.path() + "/missing/*.item").empty());
    EXPECT_TRUE(plat::findFiles("C:\\ProgramData\\*.item").empty());
}

TEST(FileAttributes, SizeFolderAndWriteTime) {
    TempFolder dir;
    const fs::path file = dir.at("f.conf");
    test_files::write(file, "12345");
    fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(2));
    plat::FileAttributes old;
    ASSERT_TRUE(plat::fileAttributes(file.string(), &old));
    EXPECT_EQ(old.size, 5u);
    EXPECT_FALSE(old.isFolder);
    dir.write("g.conf", "");
    plat::FileAttributes fresh;
    ASSERT_TRUE(plat::fileAttributes((dir.at("G.CONF")).string(), &fresh));
    EXPECT_GT(fresh.lastWriteTime, old.lastWriteTime);
    EXPECT_TRUE(old.isFile);
    plat::FileAttributes folder;
    ASSERT_TRUE(plat::fileAttributes(dir.path(), &folder));
    EXPECT_TRUE(folder.isFolder);
    EXPECT_FALSE(folder.isFile);
    EXPECT_FALSE(plat::fileAttributes((dir.at("none")).string()));
#ifndef _WIN32
    ASSERT_TRUE(fifo_test::makeFifo(dir.at("fifo")));
    plat::FileAttributes fifo;
    ASSERT_TRUE(plat::fileAttributes((dir.at("fifo")).string(), &fifo));
    EXPECT_FALSE(fifo.isFile);
    EXPECT_FALSE(fifo.isFolder);
#endif
}

TEST(CopyFileNoOverwrite, NeverReplacesWhatIsThere) {
    TempFolder dir;
    const fs::path from = dir.at("from.conf"), to = dir.at("to.conf");
    test_files::write(from, std::string("a\r\nb\0", 5));
    ASSERT_TRUE(plat::copyFileNoOverwrite(from.string(), to.string()));
    EXPECT_EQ(test_files::read(to), std::string("a\r\nb\0", 5));

    test_files::write(from, "changed");
    EXPECT_FALSE(plat::copyFileNoOverwrite(from.string(), to.string()));
    EXPECT_EQ(test_files::read(to), std::string("a\r\nb\0", 5));

    // A dangling link at the destination is not followed.
    const fs::path link = dir.at("link.conf");
    fs::create_symlink(dir.at("nowhere"), link);
    EXPECT_FALSE(plat::copyFileNoOverwrite(from.string(), link.string()));
    EXPECT_FALSE(fs::exists(dir.at("nowhere")));

    EXPECT_FALSE(plat::copyFileNoOverwrite((dir.at("missing")).string(), (dir.at("x")).string()));
    EXPECT_FALSE(fs::exists(dir.at("x")));
}

TEST(WriteWholeFile, ReplacesContentAndReportsFailures) {
    TempFolder dir;
    const fs::path file = dir.at("out.bin");
    test_files::write(file, "a much longer old content");
    ASSERT_TRUE(plat::writeWholeFile(file.string(), "new"));
    EXPECT_EQ(test_files::read(file), "new");
    fs::create_symlink("/dev/full", dir.at("full"));
    EXPECT_FALSE(plat::writeWholeFile((dir.at("full")).string(), "no room"));
    EXPECT_FALSE(plat::writeWholeFile((dir.at("missing") / "f").string(), "x"));
}

#ifndef _WIN32
// A temporary file is made afresh: what stands at its name goes first and is never opened
// (a FIFO would block the open) or followed (a link would send the bytes into its target).
TEST(WriteFreshFile, NothingAtTheNameIsFollowedOrOpened) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& at, const fs::path& victim)> make;
        bool ok;
    };
    const Case cases[] = {
        {"nothing", [](const fs::path&, const fs::path&) {}, true},
        {"a file left by a crash", [](const fs::path& at, const fs::path&) { test_files::write(at, "a much longer old file"); },
         true},
        {"a FIFO", [](const fs::path& at, const fs::path&) { ASSERT_TRUE(fifo_test::makeFifo(at)); }, true},
        {"a link to a file", [](const fs::path& at, const fs::path& victim) { fs::create_symlink(victim, at); }, true},
        {"a dangling link", [](const fs::path& at, const fs::path& victim) { fs::create_symlink(victim.string() + ".new", at); },
         true},
        {"a link to /dev/full", [](const fs::path& at, const fs::path&) { fs::create_symlink("/dev/full", at); }, true},
        {"a folder", [](const fs::path& at, const fs::path&) { fs::create_directory(at); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        const fs::path at = dir.at("settings.ini.tmp"), victim = dir.at("victim");
        test_files::write(victim, "someone else's");
        c.make(at, victim);
        bool ok = false;
        ASSERT_TRUE(fifo_test::finishesWithin(std::chrono::seconds(5), {at},
                                              [&] { ok = plat::writeFreshFile(at.string(), "new bytes"); }))
            << "the open blocked on the FIFO";
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(test_files::read(victim), "someone else's");
        EXPECT_FALSE(fs::exists(fs::symlink_status(victim.string() + ".new")));
        if (c.ok) {
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(at)));
            EXPECT_EQ(test_files::read(at), "new bytes");
        } else {
            EXPECT_TRUE(fs::is_directory(at)) << "a folder is left alone";
        }
    }
    EXPECT_FALSE(plat::writeFreshFile("/nonexistent-folder/x.tmp", "x"));
}

TEST(WriteFreshFile, AWriteThatFailsPartWayLeavesNothing) {
    TempFolder dir;
    const fs::path at = dir.at("report.txt.tmp");
    {
        fsize_test::ScopedFileSizeLimit limit(8);
        ASSERT_TRUE(limit.active());
        EXPECT_FALSE(plat::writeFreshFile(at.string(), "more than eight bytes"));
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(at)));
}
#endif

TEST(DeleteAndTempFiles, Basics) {
    TempFolder dir;
    const std::string temp = plat::makeTempFile(dir.path(), "tarvion-");
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(fs::path(temp).parent_path(), dir.dir());
    EXPECT_EQ(fs::path(temp).filename().string().rfind("tarvion-", 0), 0u);
    EXPECT_NE(plat::makeTempFile(dir.path(), "tarvion-"), temp);
    EXPECT_TRUE(plat::deleteFile(temp));
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_FALSE(plat::deleteFile(temp));
    EXPECT_FALSE(plat::deleteFile(dir.path()));  // never a folder
    EXPECT_TRUE(fs::exists(dir.dir()));
}

TEST(ReadFileCapped, OkTruncatedFailed) {
    TempFolder dir;
    dir.write("ten", "0123456789");
    std::string text;
    EXPECT_EQ(plat::readFileCapped((dir.at("ten")).string(), 10, text), plat::ReadResult::Ok);
    EXPECT_EQ(text, "0123456789");
    EXPECT_EQ(plat::readFileCapped((dir.at("ten")).string(), 4, text), plat::ReadResult::Truncated);
    EXPECT_EQ(text, "0123");
    EXPECT_EQ(plat::readFileCapped((dir.at("none")).string(), 4, text), plat::ReadResult::Failed);
    EXPECT_EQ(plat::readFileCapped(dir.path(), 4, text), plat::ReadResult::Failed);
    EXPECT_EQ(text, "");
}

#ifndef _WIN32
TEST(ReadFileCapped, AFifoOrADeviceFailsAtOnceInsteadOfBlocking) {
    TempFolder dir;
    const fs::path fifo = dir.at("appmanifest_1.acf");
    ASSERT_TRUE(fifo_test::makeFifo(fifo));
    plat::ReadResult fifoResult = plat::ReadResult::Ok, deviceResult = plat::ReadResult::Ok;
    std::string fifoText = "stale", deviceText = "stale";
    ASSERT_TRUE(fifo_test::finishesWithin(std::chrono::seconds(5), {fifo}, [&] {
        fifoResult = plat::readFileCapped(fifo.string(), 1024, fifoText);
        // /dev/zero never ends: as a "file" it would fill the whole cap with zeros.
        deviceResult = plat::readFileCapped("/dev/zero", 1024, deviceText);
    })) << "the reader blocked on the FIFO";
    EXPECT_EQ(fifoResult, plat::ReadResult::Failed);
    EXPECT_EQ(fifoText, "");
    EXPECT_EQ(deviceResult, plat::ReadResult::Failed);
    EXPECT_EQ(deviceText, "");
}

TEST(CopyFileNoOverwrite, AFifoIsNoFileToCopy) {
    TempFolder dir;
    const fs::path fifo = dir.at("ReforgerGameSettings.conf");
    ASSERT_TRUE(fifo_test::makeFifo(fifo));
    bool copied = true;
    ASSERT_TRUE(fifo_test::finishesWithin(std::chrono::seconds(5), {fifo}, [&] {
        copied = plat::copyFileNoOverwrite(fifo.string(), (dir.at("backup")).string());
    })) << "the copy blocked on the FIFO";
    EXPECT_FALSE(copied);
    EXPECT_FALSE(fs::exists(dir.at("backup")));
}
#endif

TEST(UserDirFromConfig, XdgFileRules) {
    const std::string text =
        "# written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\r\n"
        "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
        "  XDG_PICTURES_DIR=\"/data/Bilder/\"\n"
        "XDG_MUSIC_DIR=relative\n"
        "XDG_VIDEOS_DIR=\"Videos\"\n"
        "XDG_DOCUMENTS_DIRX=\"$HOME/Wrong\"\n";
    EXPECT_EQ(plat::userDirFromConfig(text, "XDG_DOCUMENTS_DIR", "/home/p"), "/home/p/Dokumente");
    EXPECT_EQ(plat::userDirFromConfig(text, "XDG_DESKTOP_DIR", "/home/p"), "/home/p/Desktop");
    EXPECT_EQ(plat::userDirFromConfig(text, "XDG_PICTURES_DIR", "/home/p"), "/data/Bilder");
    EXPECT_EQ(plat::userDirFromConfig(text, "XDG_MUSIC_DIR", "/home/p"), "");
    EXPECT_EQ(plat::userDirFromConfig(text, "XDG_VIDEOS_DIR", "/home/p"), "");
    EXPECT_EQ(plat::userDirFromConfig(text, "XDG_DOWNLOAD_DIR", "/home/p"), "");
}

TEST(DocumentsAndPictures, FromUserDirsElseHomeFolders) {
    TempFolder home;
    ScopedEnv homeVar("HOME", home.path());
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    std::string docs, pics;
    ASSERT_TRUE(plat::documentsFolder(docs));
    ASSERT_TRUE(plat::picturesFolder(pics));
    EXPECT_EQ(docs, home.path() + "/Documents");
    EXPECT_EQ(pics, home.path() + "/Pictures");

    test_files::write(home.at(".config") / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    ASSERT_TRUE(plat::documentsFolder(docs));
    EXPECT_EQ(docs, home.path() + "/Docs");
    ASSERT_TRUE(plat::picturesFolder(pics));
    EXPECT_EQ(pics, home.path() + "/Pictures");

    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_FALSE(plat::documentsFolder(docs));
}

TEST(LinuxRegistry, AnswersOnlyTheSteamFolder) {
    TempFolder home;
    ScopedEnv homeVar("HOME", home.path());
    plat::RegKey key;
    EXPECT_FALSE(plat::regOpenKey(plat::RegCurrentUser, "Software\\Valve\\Steam", 0, key));  // no Steam yet

    for (const char* folder : {"/.steam/steam", "/.local/share/Steam"}) {
        fs::create_directories(home.path() + folder);
        ASSERT_TRUE(plat::regOpenKey(plat::RegCurrentUser, "software\\valve\\steam", 0, key));
        plat::RegValue value;
        ASSERT_TRUE(plat::regQueryValue(key, "SteamPath", value));
        EXPECT_EQ(value.type, plat::kRegSz);
        // The native folder is preferred to the older link.
        EXPECT_EQ(plat::utf16ToUtf8(value.data.substr(0, value.data.find(u'\0'))), home.path() + folder);
        EXPECT_FALSE(plat::regQueryValue(key, "InstallPath", value));
        std::string name;
        EXPECT_FALSE(plat::regEnumSubKey(key, 0, name));
        plat::regCloseKey(key);
    }
    EXPECT_FALSE(plat::regOpenKey(plat::RegLocalMachine, "SOFTWARE\\Valve\\Steam", 0, key));
    EXPECT_FALSE(plat::regOpenKey(plat::RegLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                                  plat::kRegView64, key));
}

TEST(RunningProcessNames, IncludesThisTestProgram) {
    std::vector<std::string> names;
    ASSERT_TRUE(plat::runningProcessNames(names));
    // The command name is cut at 15 characters; the full file name is recovered.
    EXPECT_NE(std::find(names.begin(), names.end(), "integration_tests"), names.end());
}

#ifndef _WIN32
TEST(ProcessRunning, ThisOneAnotherOneAndOnesThatHaveEnded) {
    EXPECT_TRUE(plat::processRunning(plat::currentProcessId()));
    forked_test::Child child([](forked_test::Child& me) { return me.hear() ? 0 : 1; });
    ASSERT_TRUE(child.started());
    const uint32_t id = static_cast<uint32_t>(child.pid());
    EXPECT_TRUE(plat::processRunning(id));
    child.tell();
    EXPECT_EQ(child.wait(), 0);
    EXPECT_FALSE(plat::processRunning(id));
    // Another user's process (the system's first) is there, though it may not be signalled.
    EXPECT_TRUE(plat::processRunning(1));
    // Ids that name no single process.
    EXPECT_FALSE(plat::processRunning(0));
    EXPECT_FALSE(plat::processRunning(UINT32_MAX));
}
#endif

TEST(SetEnv, SetsAndRemoves) {
    ASSERT_TRUE(plat::setEnv("TARVION_TEST_VAR", "v"));
    bool set = false;
    EXPECT_EQ(plat::getEnv("TARVION_TEST_VAR", &set), "v");
    EXPECT_TRUE(set);
    ASSERT_TRUE(plat::unsetEnv("TARVION_TEST_VAR"));
    plat::getEnv("TARVION_TEST_VAR", &set);
    EXPECT_FALSE(set);
}

}  // namespace
