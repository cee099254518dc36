#pragma once
// One installed game found on this machine, as the scan thread hands it to App.
#include <cstdint>
#include <string>

struct DetectedGame {
    std::string name;    // the catalogue's display name, else the name as the source gave it
    std::string source;  // "Steam", "Epic Games", "Riot", "Installed", "Battle.net", "EA app", "Ubisoft"
    int32_t gameIndex = -1;  // catalogue index; -1 for a shooter outside the catalogue
};
