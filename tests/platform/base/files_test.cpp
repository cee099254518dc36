// The file calls that write or remove: on Linux they take the file's name exactly as written
// (only its folder is looked up without regard to case), and an append lands whole or not
// at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/base/atomic_file.h"
#include "platform/base/files.h"
#include "tests/support/fifo_watchdog.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/other_writer.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

bool present(const fs::path& p) { return fs::exists(fs::symlink_status(p)); }

// The player's own "Tarvion.OLD" beside the "tarvion.old" a call names: Linux tells them
// apart, so no call may remove, write or replace the one for the other.
TEST(ExactNames, NoCallRemovesOrWritesAFileWhoseNameDiffersInCase) {
    struct Case {
        const char* call;
        std::function<bool(const TempFolder&, const std::string&)> act;
        bool makesTheName;  // on success the exact name holds "new"
    };
    const Case cases[] = {
        {"deleteFile", [](const TempFolder&, const std::string& p) { return plat::deleteFile(p); }, false},
        {"writeWholeFile", [](const TempFolder&, const std::string& p) { return plat::writeWholeFile(p, "new"); },
         true},
        {"writeFreshFile", [](const TempFolder&, const std::string& p) { return plat::writeFreshFile(p, "new"); },
         true},
        {"appendToFile", [](const TempFolder&, const std::string& p) { return plat::appendToFile(p, "new"); }, true},
        {"copyFileNoOverwrite",
         [](const TempFolder& d, const std::string& p) {
             d.write("source", "new");
             return plat::copyFileNoOverwrite(d.file("source"), p);
         },
         true},
        {"replaceFile",
         [](const TempFolder& d, const std::string& p) {
             d.write("source", "new");
             return plat::replaceFile(d.file("source"), p);
         },
         true},
        {"moveFileNoOverwrite",
         [](const TempFolder& d, const std::string& p) {
             d.write("source", "new");
             return plat::moveFileNoOverwrite(d.file("source"), p);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        TempFolder dir;
        fs::create_directories(dir.at("Sub"));
        test_files::write(dir.at("Sub") / "Tarvion.OLD", "the player's own");
        const fs::path exact = dir.at("Sub") / "tarvion.old";
        EXPECT_EQ(c.act(dir, exact.string()), c.makesTheName);
        EXPECT_EQ(test_files::read(dir.at("Sub") / "Tarvion.OLD"), "the player's own");
        if (c.makesTheName) {
            EXPECT_EQ(test_files::read(exact), "new");
        } else {
            EXPECT_FALSE(present(exact));
        }
    }
}

// The folder is still found as Windows would find it; then only the exact name goes.
TEST(ExactNames, ADeleteFindsTheFolderWithoutRegardToCase) {
    TempFolder dir;
    fs::create_directories(dir.at("Sub"));
    test_files::write(dir.at("Sub") / "tarvion.old", "ours");
    test_files::write(dir.at("Sub") / "Tarvion.OLD", "the player's own");
    EXPECT_TRUE(plat::deleteFile(dir.path() + "\\SUB\\tarvion.old"));
    EXPECT_FALSE(present(dir.at("Sub") / "tarvion.old"));
    EXPECT_EQ(test_files::read(dir.at("Sub") / "Tarvion.OLD"), "the player's own");
    EXPECT_FALSE(plat::deleteFile(dir.path() + "\\SUB\\tarvion.old"));  // nothing left of that name
    EXPECT_TRUE(present(dir.at("Sub") / "Tarvion.OLD"));

    EXPECT_TRUE(plat::writeWholeFile(dir.path() + "\\sub\\report.txt", "x"));
    EXPECT_EQ(test_files::read(dir.at("Sub") / "report.txt"), "x");
}

TEST(AppendToFile, AddsAtTheEndAndMakesAMissingFile) {
    TempFolder dir;
    const fs::path file = dir.at("log.csv");
    EXPECT_TRUE(plat::appendToFile(file.string(), "a\n"));
    EXPECT_TRUE(plat::appendToFile(file.string(), "b\n"));
    EXPECT_TRUE(plat::appendToFile(file.string(), ""));
    EXPECT_EQ(test_files::read(file), "a\nb\n");  // the bytes as given, no line-end translation
    fs::create_directories(dir.at("folder"));
    EXPECT_FALSE(plat::appendToFile(dir.file("folder"), "x"));
    EXPECT_FALSE(plat::appendToFile(dir.file("missing/log.csv"), "x"));
    EXPECT_FALSE(present(dir.at("missing")));
}

// A write that stops part-way (the file-size limit stands in for a full disk): the file is as
// it was, or empty when the append made it.
TEST(AppendToFile, AWriteThatStopsPartWayTakesItsBytesBack) {
    struct Case {
        const char* what;
        const char* before;  // nullptr: no file
        size_t limit;
    };
    const Case cases[] = {
        {"room for part of the bytes", "header\nrow 1\n", 16},
        {"no room at all", "header\nrow 1\n", 13},
        {"a new file with room for part", nullptr, 4},
        {"a new file with no room", nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        const fs::path file = dir.at("log.csv");
        if (c.before) test_files::write(file, c.before);
        bool appended = true;
        {
            fsize_test::ScopedFileSizeLimit limit(c.limit);
            ASSERT_TRUE(limit.active());
            appended = plat::appendToFile(file.string(), "row 2 is longer than the room\n");
        }
        EXPECT_FALSE(appended);
        EXPECT_TRUE(present(file));
        EXPECT_EQ(test_files::read(file), c.before ? c.before : "");
    }
}

// Another writer's row added while an append is under way that then runs out of room: the row
// stays, and of the append's bytes those that are still the end of the file go.
TEST(AppendToFile, ARowAnotherWriterAddsMeanwhileStays) {
    enum class Theirs { WhileOursWaits, AtOurFailedWrite };
    struct Case {
        const char* what;
        const char* before;  // nullptr: no file
        Theirs theirs;
        size_t limit;
        const char* after;
    };
    const Case cases[] = {
        {"theirs first, then part of ours", "header\nrow 1\n", Theirs::WhileOursWaits, 13 + 10 + 8,
         "header\nrow 1\ntheir row\n"},
        {"theirs after the part of ours that fit", "header\nrow 1\n", Theirs::AtOurFailedWrite, 13 + 8,
         "header\nrow 1\nrow 2 istheir row\n"},
        {"theirs when none of ours fit", "header\nrow 1\n", Theirs::AtOurFailedWrite, 13,
         "header\nrow 1\ntheir row\n"},
        {"theirs in the file ours made", nullptr, Theirs::AtOurFailedWrite, 0, "their row\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        const std::string file = dir.file("log.csv");
        if (c.before) dir.write("log.csv", c.before);
        bool appended = true;
        const auto append = [&] { appended = plat::appendToFile(file, "row 2 is longer than the room\n"); };
        {
            fsize_test::ScopedFileSizeLimit limit(c.limit);
            ASSERT_TRUE(limit.active());
            if (c.theirs == Theirs::WhileOursWaits) {
                ASSERT_TRUE(other_writer::rowWhileTheAppendWaits(file, "their row\n", append));
            } else {
                other_writer::RowAtTheFailedWrite theirs(file, "their row\n");
                append();
            }
        }
        EXPECT_FALSE(appended);
        EXPECT_EQ(test_files::read(dir.at("log.csv")), c.after);
    }
}

TEST(AppendToFile, AFifoIsNoFileAndNeverBlocks) {
    TempFolder dir;
    const fs::path fifo = dir.at("log.csv");
    ASSERT_TRUE(fifo_test::makeFifo(fifo));
    bool appended = true;
    ASSERT_TRUE(fifo_test::finishesWithin(std::chrono::seconds(5), {fifo},
                                          [&] { appended = plat::appendToFile(fifo.string(), "x\n"); }))
        << "the append blocked on the FIFO";
    EXPECT_FALSE(appended);
}

TEST(MoveFileNoOverwrite, MovesOnlyOntoAFreeName) {
    TempFolder dir;
    dir.write("from", "new");
    dir.write("taken", "kept");
    fs::create_directories(dir.at("folder"));
    EXPECT_FALSE(plat::moveFileNoOverwrite(dir.file("from"), dir.file("taken")));
    EXPECT_FALSE(plat::moveFileNoOverwrite(dir.file("from"), dir.file("folder")));
    fs::create_symlink(dir.at("nowhere"), dir.at("link"));
    EXPECT_FALSE(plat::moveFileNoOverwrite(dir.file("from"), dir.file("link")));
    EXPECT_FALSE(present(dir.at("nowhere")));
    EXPECT_EQ(test_files::read(dir.at("taken")), "kept");
    ASSERT_TRUE(plat::moveFileNoOverwrite(dir.file("from"), dir.file("to")));
    EXPECT_EQ(test_files::read(dir.at("to")), "new");
    EXPECT_FALSE(present(dir.at("from")));
    EXPECT_FALSE(plat::moveFileNoOverwrite(dir.file("missing"), dir.file("other")));
}

}  // namespace
