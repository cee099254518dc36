#include "integration/detection.h"

#include <algorithm>
#include <atomic>

#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "integration/store_sources.h"

namespace {

// Words that mark tools, servers and extras rather than a game (the first three with their
// leading blank, so "observer" or "tools" inside a word do not count).
const char* const kExcludedNameWords[] = {
    " server",   " tools",          " sdk",      "soundtrack", "test environment", "public test",
    "authoring", "benchmark",       "launcher",  "redistributable", "workshop",
};

// Tested in this order; "escape from tarkov" stands twice, as it always has.
const char* const kOtherShooterNames[] = {
    "rainbow six", "pubg", "playerunknown", "escape from tarkov", "marvel rivals", "the finals", "battlefield",
    "destiny 2", "halo infinite", "master chief collection", "arma reforger", "arma 3", "dayz", "deadlock",
    "hunt: showdown", "hell let loose", "ready or not", "delta force", "insurgency", "xdefiant", "splitgate",
    "paladins", "warframe", "grand theft auto", "fivem", "krunker", "diabotical", "escape from tarkov",
    "squad 44",
};

bool contains(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

}  // namespace

bool isOtherShooter(const std::string& lowerName) {
    for (const char* name : kOtherShooterNames)
        if (contains(lowerName, name)) return true;
    return lowerName == "rust" || lowerName == "squad";
}

int32_t matchCatalogGame(const std::string& lowerName) {
    const char* id = nullptr;
    if (contains(lowerName, "counter-strike 2") || contains(lowerName, "global offensive")) id = "cs2";
    else if (contains(lowerName, "valorant")) id = "valorant";
    else if (contains(lowerName, "apex legends")) id = "apex";
    else if (contains(lowerName, "overwatch")) id = "ow2";
    else if (contains(lowerName, "fortnite")) id = "fortnite";
    else if (contains(lowerName, "call of duty")) id = "cod";
    else if (contains(lowerName, "team fortress 2")) id = "tf2";
    else if (contains(lowerName, "titanfall") && contains(lowerName, "2")) id = "titanfall2";
    else if (contains(lowerName, "quake champions") || contains(lowerName, "quake live")) id = "quake";
    else if (contains(lowerName, "arma reforger")) id = "reforger";
    return id ? gameIndexById(id) : -1;
}

void addDetected(std::vector<DetectedGame>& list, const std::string& name, const std::string& source,
                 int32_t gameIndex) {
    const std::string lower = lowered(name);
    const bool launcherOfCatalogGame = gameIndex >= 0 && contains(lower, "launcher");
    if (!launcherOfCatalogGame)
        for (const char* word : kExcludedNameWords)
            if (contains(lower, word)) return;

    if (gameIndex >= 0) {
        for (const DetectedGame& g : list)
            if (g.gameIndex == gameIndex) return;
        const std::vector<GameInfo>& catalog = gameCatalog();
        if (static_cast<size_t>(gameIndex) >= catalog.size()) return;
        list.push_back({catalog[static_cast<size_t>(gameIndex)].name, source, gameIndex});
        return;
    }
    for (const DetectedGame& g : list)
        if (g.gameIndex < 0 && lowered(g.name) == lower) return;
    list.push_back({name, source, gameIndex});
}

bool detectedBefore(const DetectedGame& a, const DetectedGame& b) {
    const bool aKnown = a.gameIndex >= 0, bKnown = b.gameIndex >= 0;
    if (aKnown != bKnown) return aKnown;
    if (aKnown) return a.gameIndex < b.gameIndex;
    // std::string compares bytes as unsigned, and a prefix sorts first.
    return lowered(a.name) < lowered(b.name);
}

std::vector<DetectedGame> detectInstalledGames(const ScanInputs& inputs) {
    std::vector<DetectedGame> list;
    scanSteam(list, inputs);
    scanEpic(list, inputs);
    scanRiot(list, inputs);
    scanUninstallKeys(list, inputs);
    std::stable_sort(list.begin(), list.end(), detectedBefore);
    return list;
}

std::vector<DetectedGame> detectInstalledGames() { return detectInstalledGames(machineScanInputs()); }

void detectionThreadMain(App& app) {
    std::vector<DetectedGame> found = detectInstalledGames();
    app.detectedGames = std::move(found);
    app.detectionDone.exchange(true);
}
