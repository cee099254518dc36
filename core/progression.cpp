#include "audio/sound.h"
#include "core/app.h"
#include "core/armory.h"

void App::awardXp(const RoundResult& result) {
    const int32_t oldLevel = levelForXp(xp);
    lastXpGain = roundXp(result.kills, result.onTargetRatio, result.config.zoom);
    xp += lastXpGain;
    const int32_t reached = levelForXp(xp);
    if (reached > oldLevel) {
        newLevel = reached;
        levelUpUntil = now + 4.5;
        unlockedText = unlockText(oldLevel, reached);
        playSound(SoundLevelUp, 0.9f);
    }
    saveSettings();
}
