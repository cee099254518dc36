// Files and folders by UTF-8 path on Windows: names outside ASCII, Windows letter case
// and the file calls the store scans, the profile and the Reforger file rely on.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <thread>

#include "platform/base/atomic_file.h"
#include "platform/base/files.h"
#include "platform/base/folders.h"
#include "platform/base/paths.h"
#include "platform/base/text.h"
#include "tests/platform/win32/stalled_pipe.h"
#include "tests/platform/win32/support.h"

namespace {

using namespace win_test;

const char* const kName = "Tarvi\xC3\xB3n";  // "Tarvión"

TEST(WindowsPaths, ResolveAsTheyAre) {
    for (const char* path : {"C:\\ProgramData", "d:", "relative\\x", "C:\\Riot Games\\VALORANT"})
        EXPECT_EQ(plat::resolvePath(path), path);
    EXPECT_EQ(plat::pathSeparator(), '\\');
    EXPECT_EQ(plat::joinPath("C:\\a", "b"), "C:\\a\\b");
}

TEST(FindFiles, PatternsWithoutRegardToCaseInNameOrder) {
    TempFolder dir;
    dir.write("b.item", "");
    dir.write("A.ITEM", "");
    test_files::write(dir.at(std::string(kName) + ".item"), "");
    dir.write("c.txt", "");
    fs::create_directories(dir.at("d.item"));
    const std::vector<plat::FileEntry> found = plat::findFiles(dir.path() + "\\*.item");
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].name, "A.ITEM");
    EXPECT_EQ(found[1].name, "b.item");
    EXPECT_EQ(found[2].name, "d.item");
    EXPECT_EQ(found[3].name, std::string(kName) + ".item");
    EXPECT_TRUE(found[2].isFolder);
    EXPECT_FALSE(found[3].isFolder);

    // Folder and pattern in another letter case; "." and ".." are never listed.
    fs::create_directories(dir.at(kName) / "app1874880_user1");
    fs::create_directories(dir.at(kName) / "APP1874880_USER2");
    const std::vector<plat::FileEntry> users = plat::findFiles(dir.file("TARVI\xC3\xB3N") + "\\App1874880_user*");
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(users[0].name, "app1874880_user1");
    EXPECT_EQ(plat::findFiles(dir.file(kName) + "\\*").size(), 2u);
    EXPECT_TRUE(plat::findFiles(dir.file("missing") + "\\*").empty());
}

TEST(FileAttributes, SizeFolderAndWriteTime) {
    TempFolder dir;
    test_files::write(dir.at(kName), "12345");
    plat::FileAttributes a;
    ASSERT_TRUE(plat::fileAttributes(dir.file(kName), &a));
    EXPECT_FALSE(a.isFolder);
    EXPECT_EQ(a.size, 5u);
    const int64_t now = static_cast<int64_t>(std::time(nullptr)) * 1000000000;
    EXPECT_LT(std::llabs(a.lastWriteTime - now), 120LL * 1000000000) << "nanoseconds since 1970";
    ASSERT_TRUE(plat::fileAttributes(dir.path(), &a));
    EXPECT_TRUE(a.isFolder);
    EXPECT_FALSE(plat::fileAttributes(dir.file("missing")));
    EXPECT_TRUE(plat::fileExists(dir.file(kName)));
    EXPECT_TRUE(plat::folderExists(dir.path()));
    EXPECT_FALSE(plat::folderExists(dir.file(kName)));
}

TEST(CopyFileNoOverwrite, NeverReplacesWhatIsThere) {
    TempFolder dir;
    dir.write("from", "new");
    dir.write("taken", "old");
    EXPECT_FALSE(plat::copyFileNoOverwrite(dir.file("from"), dir.file("taken")));
    EXPECT_EQ(test_files::read(dir.at("taken")), "old");
    ASSERT_TRUE(plat::copyFileNoOverwrite(dir.file("from"), dir.file(kName)));
    EXPECT_EQ(test_files::read(dir.at(kName)), "new");
    EXPECT_FALSE(plat::copyFileNoOverwrite(dir.file("missing"), dir.file("to")));
    EXPECT_FALSE(fs::exists(dir.at("to")));
}

TEST(WriteReplaceDelete, WholeFilesByWidePath) {
    TempFolder dir;
    ASSERT_TRUE(plat::writeWholeFile(dir.file(kName), std::string("a\r\nb\0c", 6)));
    EXPECT_EQ(test_files::read(dir.at(kName)), std::string("a\r\nb\0c", 6));  // bytes as they are
    EXPECT_FALSE(plat::writeWholeFile(dir.file("no folder") + "\\x", "x"));

    dir.write("target", "before");
    ASSERT_TRUE(plat::syncFile(dir.file(kName)));
    fs::create_directories(dir.at("folder"));
    EXPECT_FALSE(plat::replaceFile(dir.file(kName), dir.file("folder")));  // not a file
    EXPECT_TRUE(fs::is_directory(dir.at("folder")));
    ASSERT_TRUE(plat::replaceFile(dir.file(kName), dir.file("target")));
    EXPECT_EQ(test_files::read(dir.at("target")), std::string("a\r\nb\0c", 6));
    EXPECT_FALSE(fs::exists(dir.at(kName)));

    EXPECT_TRUE(plat::deleteFile(dir.file("target")));
    EXPECT_FALSE(plat::deleteFile(dir.file("target")));
    EXPECT_FALSE(plat::deleteFile(dir.path()));  // not a folder
}

TEST(AppendToFile, AddsTheBytesAsTheyAreAndMakesAMissingFile) {
    TempFolder dir;
    const std::string file = dir.file(kName);
    EXPECT_TRUE(plat::appendToFile(file, "a\r\n"));
    EXPECT_TRUE(plat::appendToFile(file, "b\n"));
    EXPECT_EQ(test_files::read(dir.at(kName)), "a\r\nb\n");
    EXPECT_FALSE(plat::appendToFile(dir.path(), "x"));  // a folder
    EXPECT_FALSE(plat::appendToFile(dir.file("no folder") + "\\x", "x"));
    EXPECT_FALSE(fs::exists(dir.at("no folder")));
}

// Two copies of the program appending to one log at once: they take turns, so neither writes
// its row where the other's went.
TEST(AppendToFile, AppendsSideBySideKeepEveryRow) {
    TempFolder dir;
    const std::string file = dir.file(kName);
    test_files::write(dir.at(kName), "");
    constexpr int kRows = 2000;
    const std::string rowA = std::string(30, 'a') + "\r\n", rowB = std::string(30, 'b') + "\r\n";
    int failedA = 0, failedB = 0;
    const auto append = [&](const std::string& row, int& failed) {
        for (int i = 0; i < kRows; ++i) failed += plat::appendToFile(file, row) ? 0 : 1;
    };
    std::thread a(append, std::cref(rowA), std::ref(failedA)), b(append, std::cref(rowB), std::ref(failedB));
    a.join();
    b.join();
    EXPECT_EQ(failedA + failedB, 0);
    const std::string text = test_files::read(dir.at(kName));
    EXPECT_EQ(text.size(), kRows * (rowA.size() + rowB.size()));
    int seenA = 0, seenB = 0;
    for (size_t at = 0; at + rowA.size() <= text.size(); at += rowA.size()) {
        seenA += text.compare(at, rowA.size(), rowA) == 0;
        seenB += text.compare(at, rowB.size(), rowB) == 0;
    }
    EXPECT_EQ(seenA, kRows);
    EXPECT_EQ(seenB, kRows);
}

TEST(MoveFileNoOverwrite, MovesOnlyOntoAFreeName) {
    TempFolder dir;
    dir.write("from", "new");
    dir.write("taken", "kept");
    fs::create_directories(dir.at("folder"));
    EXPECT_FALSE(plat::moveFileNoOverwrite(dir.file("from"), dir.file("taken")));
    EXPECT_FALSE(plat::moveFileNoOverwrite(dir.file("from"), dir.file("folder")));
    EXPECT_EQ(test_files::read(dir.at("taken")), "kept");
    ASSERT_TRUE(plat::moveFileNoOverwrite(dir.file("from"), dir.file(kName)));
    EXPECT_EQ(test_files::read(dir.at(kName)), "new");
    EXPECT_FALSE(fs::exists(dir.at("from")));
}

TEST(TempFiles, UniqueAndEmpty) {
    TempFolder dir;
    const std::string a = plat::makeTempFile(dir.file(kName), "qxu");
    EXPECT_TRUE(a.empty()) << "no such folder yet";
    fs::create_directories(dir.at(kName));
    const std::string b = plat::makeTempFile(dir.file(kName), "qxu");
    const std::string c = plat::makeTempFile(dir.file(kName), "qxu");
    ASSERT_FALSE(b.empty());
    EXPECT_NE(b, c);
    EXPECT_EQ(b.rfind(dir.file(kName), 0), 0u);
    EXPECT_EQ(test_files::read(u8path(b)), "");
    const std::string system = plat::makeTempFile("", "qxu");
    ASSERT_FALSE(system.empty());
    EXPECT_TRUE(plat::deleteFile(system));
}

TEST(ReadFileCapped, OkTruncatedFailed) {
    TempFolder dir;
    test_files::write(dir.at(kName), "0123456789");
    std::string text;
    EXPECT_EQ(plat::readFileCapped(dir.file(kName), 10, text), plat::ReadResult::Ok);
    EXPECT_EQ(text, "0123456789");
    EXPECT_EQ(plat::readFileCapped(dir.file(kName), 4, text), plat::ReadResult::Truncated);
    EXPECT_EQ(text, "0123");
    EXPECT_EQ(plat::readFileCapped(dir.file("missing"), 4, text), plat::ReadResult::Failed);
    EXPECT_EQ(text, "");
}

// Only a file on a disk is read: from a named pipe whose other end never writes, ReadFile
// would wait for as long as that end likes (a store path in the registry can name one).
TEST(ReadFileCapped, ANamedPipeFailsAtOnceInsteadOfBlocking) {
    const std::wstring name = L"\\\\.\\pipe\\tarvion-read-" + std::to_wstring(GetCurrentProcessId());
    pipe_test::StalledPipe pipe(name);
    ASSERT_TRUE(pipe.ok());
    std::string text = "x";
    plat::ReadResult result = plat::ReadResult::Ok;
    ASSERT_TRUE(pipe_test::finishesWithin(std::chrono::seconds(5), pipe, [&] {
        result = plat::readFileCapped(plat::utf16ToUtf8(std::u16string(name.begin(), name.end())), 1024, text);
    })) << "the read blocked on the pipe";
    EXPECT_EQ(result, plat::ReadResult::Failed);
    EXPECT_EQ(text, "");
}

// A temporary file is made afresh: what stands at its name goes first and is never written
// through; a folder there is left alone.
TEST(WriteFreshFile, NothingAtTheNameIsFollowedOrWrittenThrough) {
    TempFolder dir;
    const std::string at = dir.file("settings.ini.tmp");
    ASSERT_TRUE(plat::writeFreshFile(at, "first"));
    EXPECT_EQ(test_files::read(dir.at("settings.ini.tmp")), "first");
    ASSERT_TRUE(plat::writeFreshFile(at, "new"));  // a file left by a crash
    EXPECT_EQ(test_files::read(dir.at("settings.ini.tmp")), "new");

    // A link to another file (when this system lets the test make one).
    dir.write("victim", "someone else's");
    fs::remove(dir.at("settings.ini.tmp"));
    // Only a link that reads through to its target shows anything (Wine 8 makes links that
    // read as empty files).
    const bool linked = CreateSymbolicLinkW(dir.at("settings.ini.tmp").c_str(), dir.at("victim").c_str(),
                                            SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0 &&
                        test_files::read(dir.at("settings.ini.tmp")) == "someone else's";
    if (linked) {
        ASSERT_TRUE(plat::writeFreshFile(at, "through?"));
        EXPECT_EQ(test_files::read(dir.at("victim")), "someone else's");
        EXPECT_FALSE(fs::is_symlink(dir.at("settings.ini.tmp")));
        EXPECT_EQ(test_files::read(dir.at("settings.ini.tmp")), "through?");
    } else {
        std::printf("no link that reads through could be made here: that case is not shown\n");
    }

    fs::create_directories(dir.at("folder.tmp"));
    EXPECT_FALSE(plat::writeFreshFile(dir.file("folder.tmp"), "x"));
    EXPECT_TRUE(fs::is_directory(dir.at("folder.tmp")));
    EXPECT_FALSE(plat::writeFreshFile(dir.file("no folder") + "\\x.tmp", "x"));

    plat::FileAttributes a;
    ASSERT_TRUE(plat::writeFreshFile(at, "a file"));
    ASSERT_TRUE(plat::fileAttributes(at, &a));
    EXPECT_TRUE(a.isFile);
    ASSERT_TRUE(plat::fileAttributes(dir.file("folder.tmp"), &a));
    EXPECT_FALSE(a.isFile);
}

TEST(Folders, MadeByLevelAndKnownFolders) {
    TempFolder dir;
    const std::string deep = dir.file(kName) + "\\data\\more";
    EXPECT_FALSE(plat::makeFolder(deep));
    ASSERT_TRUE(plat::makeFolders(deep));
    EXPECT_TRUE(plat::folderExists(deep));
    EXPECT_TRUE(plat::makeFolders(deep));  // already there

    std::string documents, pictures;
    ASSERT_TRUE(plat::documentsFolder(documents));
    ASSERT_TRUE(plat::picturesFolder(pictures));
    EXPECT_EQ(documents[1], ':');
    EXPECT_EQ(pictures[1], ':');
    EXPECT_NE(documents, pictures);
}

}  // namespace
