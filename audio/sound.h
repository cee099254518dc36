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
};

// Queues a sound; does nothing when no output device is open.
void playSound(SoundId id, float gain);
