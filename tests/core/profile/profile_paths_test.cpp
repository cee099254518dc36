// The profile under a data folder whose name is not ASCII. On Windows a narrow name is read
// in the ANSI code page and "ó" turns into other characters: the files would land in (or be
// looked for in) a different folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/profile/app.h"
#include "platform/base/file_open.h"
#include "tests/support/temp_folder.h"

namespace {

const char* const kFolderName = "Tarvi\xC3\xB3n";  // "Tarvión" in UTF-8

std::vector<std::string> entryNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(plat::fsPath(folder)))
        names.push_back(plat::utf8Path(e.path().filename()));
    return names;
}

TEST(ProfilePaths, NonAsciiDataFolderKeepsEveryFile) {
    TempFolder root;
    const std::string dataDir = root.path() + "/" + kFolderName;
    ASSERT_TRUE(std::filesystem::create_directory(plat::fsPath(dataDir)));

    App app;
    app.dataDir = dataDir;
    app.xp = 4321;
    app.dpi = 1600;
    app.saveSettings();

    RoundResult round;
    round.config.cm360 = 40;
    app.logScore(round, "practice");

    app.resultGame = 1;
    app.resultYaw = 0.07;
    app.resultCm = 40;
    app.resultMode = "finder";
    app.hasResult = true;
    app.analysis.valid = true;
    app.analysis.recommendedCm360 = 32.5;
    app.analysis.lowCm360 = 29;
    app.analysis.highCm360 = 36;
    app.analysis.confidence = "Medium";
    app.saveResult();
    EXPECT_FALSE(app.reportPath.empty());

    App reloaded;
    reloaded.dataDir = dataDir;
    reloaded.loadSettings();
    reloaded.loadScores();
    reloaded.loadHistory();
    EXPECT_EQ(reloaded.xp, 4321);
    EXPECT_EQ(reloaded.dpi, 1600);
    EXPECT_EQ(reloaded.scores.size(), 1u);
    ASSERT_EQ(reloaded.history.size(), 1u);
    EXPECT_DOUBLE_EQ(reloaded.history[0].recommended_cm360, 32.5);

    // Everything is in the one folder of that name; no look-alike folder appeared beside it.
    EXPECT_EQ(entryNames(root.path()), std::vector<std::string>{kFolderName});
    std::vector<std::string> files = entryNames(dataDir);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"history.csv", "reports", "scores.csv", "settings.ini"}));
    EXPECT_EQ(entryNames(dataDir + "/reports").size(), 1u);
}

}  // namespace
