// The detected games to offer; needs the detection record.
#include "core/profile/app.h"
#include "core/profile/game_lists.h"

std::vector<int32_t> App::shownGameIndices() const {
    std::vector<int32_t> indices;
    if (!detectionDone.load()) return indices;
    for (const DetectedGame& d : detectedGames) {
        if (d.gameIndex < 0 || static_cast<size_t>(d.gameIndex) >= gameCatalog().size()) continue;
        if (!knownGames.has(d.gameIndex)) indices.push_back(d.gameIndex);
    }
    return indices;
}
