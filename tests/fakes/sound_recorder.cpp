#include "tests/fakes/sound_recorder.h"

namespace {
void record(SoundId id, float gain) { playedSounds().push_back({id, gain}); }
// Installed before main, so no cue a test triggers is missed.
const bool installed = (setSoundSink(&record), true);
}  // namespace

std::vector<PlayedSound>& playedSounds() {
    static std::vector<PlayedSound> sounds;
    (void)installed;
    return sounds;
}
