#include "tests/fakes/sound_recorder.h"

std::vector<PlayedSound>& playedSounds() {
    static std::vector<PlayedSound> sounds;
    return sounds;
}

void playSound(SoundId id, float gain) { playedSounds().push_back({id, gain}); }
