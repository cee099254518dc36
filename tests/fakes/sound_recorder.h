#pragma once
// Test stand-in for the sound output: records every playSound call (installed before main).
#include <vector>

#include "core/catalog/sound.h"

struct PlayedSound {
    SoundId id;
    float gain;
};

std::vector<PlayedSound>& playedSounds();
