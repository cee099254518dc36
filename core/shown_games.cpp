// The detected games to offer; needs the detection record.
#include "core/app.h"
#include "core/game_lists.h"

#include <algorithm>

std::vector<int32_t> App::shownGameIndices() const {
    std::vector<int32_t> indices;
    if (!detectionDone.load()) return indices;
    const std::vector<std::string> known = splitList(knownGames);
    for (const DetectedGame& d : detectedGames) {
        if (d.gameIndex < 0 || static_cast<size_t>(d.gameIndex) >= gameCatalog().size()) continue;
        const char* id = gameCatalog()[d.gameIndex].id;
        if (std::find(known.begin(), known.end(), id) == known.end()) indices.push_back(d.gameIndex);
    }
    return indices;
}
