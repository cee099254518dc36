#include <gtest/gtest.h>

#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "integration/detection.h"
#include "integration/store_sources.h"
#include "tests/integration/test_support.h"
#include "tests/support/scoped_env.h"
#ifndef _WIN32
#include "tests/support/fifo_watchdog.h"
#endif

namespace {

using testing_support::fixtureDir;

int32_t idx(const char* id) { return gameIndexById(id); }

std::string fixture(const char* tree, const char* drive) { return (fixtureDir(tree) / drive).string(); }

// The uninstall entries of the fixture machine, in the three views the scan reads.
RegistrySnapshot fixtureRegistry() {
    RegistrySnapshot r;
    const std::string un = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    r.setString(plat::RegCurrentUser, 0, "Software\\Valve\\Steam", "SteamPath", "C:/Program Files (x86)/Steam");
    auto entry = [&](plat::RegHive hive, uint32_t view, const std::string& key, const char* display,
                     const char* publisher) {
        if (display) r.setString(hive, view, un + key, "DisplayName", display);
        if (publisher) r.setString(hive, view, un + key, "Publisher", publisher);
    };
    const auto lm = plat::RegLocalMachine;
    const auto cu = plat::RegCurrentUser;
    entry(lm, plat::kRegView64, "Steam App 730", "Counter-Strike 2", "Valve");
    entry(lm, plat::kRegView64, "{5E3C61A4-COD}", "Call of Duty", "Activision Publishing, Inc.");
    entry(lm, plat::kRegView64, "Overwatch", "Overwatch", "Blizzard Entertainment");
    entry(lm, plat::kRegView64, "Origin.OFR.50.0002694", "Apex Legends", "Respawn");
    entry(lm, plat::kRegView64, "Steam App 740", "Counter-Strike 2 Dedicated Server", "Valve");
    entry(lm, plat::kRegView64, "Microsoft.VCRedist.2015", "Microsoft Visual C++ 2015 Redistributable", "Microsoft");
    entry(lm, plat::kRegView64, "PUBG", "pubg: battlegrounds", "KRAFTON, Inc.");
    entry(lm, plat::kRegView64, "EscapeFromTarkov", "Escape from Tarkov", "Battlestate Games");
    entry(lm, plat::kRegView64, "QuakeLive", "Quake Live", "id Software");
    entry(lm, plat::kRegView32, "EscapeFromTarkov", "Escape from Tarkov", "Battlestate Games");
    entry(lm, plat::kRegView32, "Titanfall", "Titanfall", "Electronic Arts");
    entry(lm, plat::kRegView32, "Titanfall2", "Titanfall\xC2\xAE 2 Deluxe Edition", "Electronic Arts");
    entry(lm, plat::kRegView32, "NoName", nullptr, "Somebody");
    entry(cu, 0, "Squad", "Squad", "Offworld Industries");
    entry(cu, 0, "TrustSim", "Trust Simulator", "Nobody");
    entry(cu, 0, "Riot Game valorant.live", "VALORANT", "Riot Games, Inc");
    entry(cu, 0, "Steam App 1144200", "Ready or Not", "VOID Interactive");
    entry(cu, 0, "Paladins", "Paladins", "Hi-Rez Studios via Epic Games");
    entry(cu, 0, "R6S", "Tom Clancy's Rainbow Six Siege", "Ubisoft");
    return r;
}

ScanInputs fixtureInputs(const RegistrySnapshot& registry) {
    ScanInputs inputs;
    inputs.registry = &registry;
    inputs.drives = {{'C', fixture("stores", "drive_c")},
                     {'D', fixture("stores", "drive_d")},
                     {'E', fixture("stores", "drive_e")}};
    return inputs;
}

struct Expected {
    const char* name;
    const char* source;
    int32_t gameIndex;
};

void expectList(const std::vector<DetectedGame>& got, const std::vector<Expected>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].name, want[i].name) << "entry " << i;
        EXPECT_EQ(got[i].source, want[i].source) << "entry " << i << " " << want[i].name;
        EXPECT_EQ(got[i].gameIndex, want[i].gameIndex) << "entry " << i << " " << want[i].name;
    }
}

TEST(DetectInstalledGames, FixtureMachineGivesTheExactList) {
    const RegistrySnapshot registry = fixtureRegistry();
    const std::vector<DetectedGame> list = detectInstalledGames(fixtureInputs(registry));
    expectList(list, {
                         {"Counter-Strike 2", "Steam", idx("cs2")},
                         {"VALORANT", "Riot", idx("valorant")},
                         {"Apex Legends", "EA app", idx("apex")},
                         {"Overwatch 2", "Battle.net", idx("ow2")},
                         {"Fortnite", "Epic Games", idx("fortnite")},
                         {"Call of Duty (MW / BO6 / Warzone)", "Steam", idx("cod")},
                         {"Team Fortress 2", "Steam", idx("tf2")},
                         {"Titanfall 2", "EA app", idx("titanfall2")},
                         {"Quake Champions / Quake Live", "Installed", idx("quake")},
                         {"Arma Reforger", "Steam", idx("reforger")},
                         {"Arma 3", "Steam", -1},
                         {"DayZ", "Steam", -1},
                         {"DayZ Experimental", "Steam", -1},
                         {"Diabotical", "Epic Games", -1},
                         {"Escape from Tarkov", "Installed", -1},
                         {"Halo Infinite", "Steam", -1},
                         {"Hunt: Showdown \"1896\"", "Steam", -1},
                         {"Marvel Rivals", "Steam", -1},
                         {"Paladins", "Epic Games", -1},
                         {"PUBG: BATTLEGROUNDS", "Epic Games", -1},
                         {"Rainbow Six\\", "Epic Games", -1},
                         {"Ready or Not", "Steam", -1},
                         {"Rust", "Steam", -1},
                         {"Splitgate", "Epic Games", -1},
                         {"Squad", "Installed", -1},
                         {"Tom Clancy's Rainbow Six Siege", "Ubisoft", -1},
                     });
}

TEST(ScanSteam, LibrariesFromTheFirstRegistryValueThatAnswers) {
    struct Case {
        const char* label;
        plat::RegHive hive;
        const char* key;
        const char* value;
        size_t expected;
    };
    const Case cases[] = {
        {"user", plat::RegCurrentUser, "Software\\Valve\\Steam", "SteamPath", 1},
        {"wow64", plat::RegLocalMachine, "SOFTWARE\\WOW6432Node\\Valve\\Steam", "InstallPath", 1},
        {"native", plat::RegLocalMachine, "SOFTWARE\\Valve\\Steam", "InstallPath", 1},
        {"wrong value name", plat::RegCurrentUser, "Software\\Valve\\Steam", "InstallPath", 0},
    };
    for (const Case& c : cases) {
        RegistrySnapshot registry;
        // Only the Steam folder's own library (the vdf lists the others but has its own
        // manifests too): point it at drive D, whose library holds TF2 and Halo.
        registry.setString(c.hive, 0, c.key, c.value, "D:\\SteamLibrary");
        ScanInputs inputs = fixtureInputs(registry);
        inputs.drives = {{'D', fixture("stores", "drive_d")}};
        std::vector<DetectedGame> list;
        scanSteam(list, inputs);
        EXPECT_EQ(list.size(), c.expected ? 2u : 0u) << c.label;
    }
}

TEST(ScanRiot, RecordsOrAGameFolderOrTheMetadataFile) {
    struct Case {
        const char* tree;
        char drive;
        const char* driveFolder;
        bool installed;
    };
    const Case cases[] = {
        {"stores", 'C', "drive_c", true},          // RiotClientInstalls.json names VALORANT
        {"riot_none", 'C', "drive_c", false},      // a json without it
        {"riot_folder", 'E', "drive_e", true},     // E:\Riot Games\VALORANT exists
        {"riot_metadata", 'C', "drive_c", true},   // ProgramData\Riot Games\Metadata\valorant.live
    };
    for (const Case& c : cases) {
        ScanInputs inputs;
        RegistrySnapshot empty;
        inputs.registry = &empty;
        inputs.drives = {{c.drive, fixture(c.tree, c.driveFolder)}};
        std::vector<DetectedGame> list;
        scanRiot(list, inputs);
        ASSERT_EQ(list.size(), c.installed ? 1u : 0u) << c.tree;
        if (c.installed) {
            EXPECT_EQ(list[0].name, "VALORANT");
            EXPECT_EQ(list[0].source, "Riot");
            EXPECT_EQ(list[0].gameIndex, idx("valorant"));
        }
    }
}

TEST(ScanEpic, ProgramDataComesFromTheInputs) {
    ScanInputs inputs;
    RegistrySnapshot empty;
    inputs.registry = &empty;
    inputs.programData = fixture("stores", "drive_c") + "/ProgramData";  // a host path, another case
    std::vector<DetectedGame> list;
    scanEpic(list, inputs);
    std::vector<std::string> names;
    for (const DetectedGame& g : list) names.push_back(g.name);
    // Listing order of the folder; the sort comes later.
    EXPECT_EQ(names, (std::vector<std::string>{"Fortnite", "PUBG: BATTLEGROUNDS", "Rainbow Six\\", "Splitgate",
                                                "Diabotical"}));
}

TEST(DetectInstalledGames, EmptyMachineGivesAnEmptyList) {
    RegistrySnapshot empty;
    ScanInputs inputs;
    inputs.registry = &empty;
    EXPECT_TRUE(detectInstalledGames(inputs).empty());
}

TEST(DetectInstalledGames, MalformedFilesNeverCrash) {
    TempFolder dir;
    const std::string steam = dir.path() + "/Steam";
    // A vdf of nothing but unterminated and escaped pieces, huge manifests, garbage.
    std::string vdf = "\"path\" \"" + steam + "\" \"path\" \"\\";
    for (int i = 0; i < 2000; ++i) vdf += "\"path\" \"x\\\"";
    vdf += "\"path\" \"" + steam + "/unterminated";
    test_files::write(steam + "/steamapps/libraryfolders.vdf", vdf);
    test_files::write(steam + "/steamapps/appmanifest_1.acf", std::string(5 * 1024 * 1024, '"'));
    test_files::write(steam + "/steamapps/appmanifest_2.acf", "\"appid\" \"730\" \"name\" \"\\");
    test_files::write(steam + "/steamapps/appmanifest_3.acf", "\"appid\"\"name\"\"name\"");
    std::string garbage;
    for (int i = 0; i < 70000; ++i) garbage += static_cast<char>((i * 7919) % 256);
    test_files::write(steam + "/steamapps/appmanifest_4.acf", garbage);
    test_files::write(dir.path() + "/ProgramData/Epic/EpicGamesLauncher/Data/Manifests/a.item", garbage);
    test_files::write(dir.path() + "/ProgramData/Epic/EpicGamesLauncher/Data/Manifests/b.item", "\"DisplayName\"");
    test_files::write(dir.path() + "/ProgramData/Epic/EpicGamesLauncher/Data/Manifests/c.item", "\"DisplayName\":");
    test_files::write(dir.path() + "/ProgramData/Riot Games/RiotClientInstalls.json", garbage);

    RegistrySnapshot registry;
    registry.setString(plat::RegCurrentUser, 0, "Software\\Valve\\Steam", "SteamPath", steam);
    ScanInputs inputs;
    inputs.registry = &registry;
    inputs.programData = dir.path() + "/ProgramData";
    const std::vector<DetectedGame> list = detectInstalledGames(inputs);
    // Manifest 2 is CS2 with the name "\" (a lone trailing backslash): it still counts.
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].gameIndex, idx("cs2"));
}

#ifndef _WIN32
TEST(DetectInstalledGames, AFifoAmongTheManifestsIsSkippedWithoutBlocking) {
    TempFolder home;
    const std::string steam = home.path() + "/.local/share/Steam";
    test_files::write(steam + "/steamapps/appmanifest_730.acf", "\"appid\" \"730\" \"name\" \"Counter-Strike 2\"");
    const std::filesystem::path fifo = steam + "/steamapps/appmanifest_440.acf";
    ASSERT_TRUE(fifo_test::makeFifo(fifo));
    ScopedEnv homeVar("HOME", home.path());
    ScopedEnv programData("ProgramData", std::nullopt);

    std::vector<DetectedGame> list;
    ASSERT_TRUE(fifo_test::finishesWithin(std::chrono::seconds(5), {fifo}, [&] { list = detectInstalledGames(); }))
        << "the scan blocked on the FIFO";
    expectList(list, {{"Counter-Strike 2", "Steam", idx("cs2")}});
}
#endif

TEST(DetectInstalledGames, FindsALinuxPlayersNativeSteamLibrary) {
    TempFolder home;
    const std::string steam = home.path() + "/.local/share/Steam";
    const std::string library = home.path() + "/Games/SteamLibrary";
    test_files::write(steam + "/steamapps/libraryfolders.vdf",
               "\"libraryfolders\" { \"0\" { \"path\" \"" + steam + "\" } \"1\" { \"path\" \"" + library + "\" } }");
    test_files::write(steam + "/steamapps/appmanifest_730.acf", "\"appid\" \"730\" \"name\" \"Counter-Strike 2\"");
    test_files::write(library + "/steamapps/appmanifest_221100.acf", "\"appid\" \"221100\" \"name\" \"DayZ\"");
    ScopedEnv homeVar("HOME", home.path());
    ScopedEnv programData("ProgramData", std::nullopt);

    const std::vector<DetectedGame> list = detectInstalledGames();
    expectList(list, {{"Counter-Strike 2", "Steam", idx("cs2")}, {"DayZ", "Steam", -1}});
}

TEST(DetectionThreadMain, HandsTheListOverThenSetsTheFlag) {
    TempFolder home;
    test_files::write(home.path() + "/.steam/steam/steamapps/appmanifest_440.acf", "\"appid\" \"440\" \"name\" \"TF2\"");
    ScopedEnv homeVar("HOME", home.path());
    ScopedEnv programData("ProgramData", std::nullopt);
    App app;
    app.detectionThread = std::thread(detectionThreadMain, std::ref(app));
    app.detectionThread.join();
    EXPECT_TRUE(app.detectionDone.load());
    ASSERT_EQ(app.detectedGames.size(), 1u);
    EXPECT_EQ(app.detectedGames[0].name, "Team Fortress 2");
}

}  // namespace
