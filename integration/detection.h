#pragma once
// The games installed on this machine that the program knows: catalogue games and a fixed
// set of other shooters, found once at start-up on a thread of their own.
#include <cstdint>
#include <string>
#include <vector>

#include "core/records/detected_game.h"

struct App;

// Scans Steam, Epic Games, Riot and the uninstall registry of this machine (in that order),
// then sorts with detectedBefore. Never fails: a source that finds nothing adds nothing.
std::vector<DetectedGame> detectInstalledGames();

// The scan thread's body: detects, moves the list into App.detectedGames, then sets
// App.detectionDone. Touches no other field.
void detectionThreadMain(App& app);

// The only way an entry enters the list: drops tools, servers and extras (a catalogue game
// whose name holds "launcher" is kept), and a second report of a catalogue index or of an
// other shooter's lower-cased name.
void addDetected(std::vector<DetectedGame>& list, const std::string& name, const std::string& source,
                 int32_t gameIndex);

// ASCII A-Z to a-z, every other byte as it is.
std::string lowered(const std::string& text);

// The lower-cased name holds one of the other shooters' names, or is exactly "rust" or "squad".
bool isOtherShooter(const std::string& lowerName);

// Catalogue index for a lower-cased installed name, or -1.
int32_t matchCatalogGame(const std::string& lowerName);

// Catalogue games first in catalogue order, then the rest by lower-cased name bytes.
bool detectedBefore(const DetectedGame& a, const DetectedGame& b);
