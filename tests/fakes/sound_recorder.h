#pragma once
// Test stand-in for the sound output: records every playSound call.
#include <vector>

#include "audio/sound.h"

struct PlayedSound {
    SoundId id;
    float gain;
};

std::vector<PlayedSound>& playedSounds();
