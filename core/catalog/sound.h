#pragma once
// The one entry to sound for every other part of the program.

enum SoundId : int {
    SoundHitClassic = 0,
    SoundMiss = 1,
    SoundTick = 2,
    SoundGo = 3,
    SoundRoundEnd = 4,
    SoundFinish = 5,
    SoundClick = 6,
    SoundShotPistol = 7,
    SoundShotRifle = 8,
    SoundShotSniper = 9,
    SoundLevelUp = 10,
    SoundScopeIn = 11,
    SoundHitPop = 12,
    SoundHitDing = 13,
    SoundHitClick = 14,
    SoundCount  // how many there are; every table indexed by SoundId holds this many
};

// Queues a sound on the output that is open; does nothing when none is.
void playSound(SoundId id, float gain);

// The sound output installs itself here when it opens (and clears it when it closes), so
// the code that plays cues does not depend on the output library at link time.
using SoundSink = void (*)(SoundId id, float gain);
void setSoundSink(SoundSink sink);
