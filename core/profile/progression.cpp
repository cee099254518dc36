#include <cstdint>

#include "core/catalog/armory.h"
#include "core/catalog/sound.h"
#include "core/profile/app.h"

void App::awardXp(const RoundResult& result) {
    const int32_t oldLevel = levelForXp(xp);
    lastXpGain = roundXp(result.kills, result.onTargetRatio, result.config.zoom);
    // Held at the top rather than wrapping: a hand-edited xp=99999999999999999999 reads as the
    // 64-bit maximum, and one more round must not turn it into a large negative total.
    xp = lastXpGain > 0 && xp > INT64_MAX - lastXpGain ? INT64_MAX : xp + lastXpGain;
    const int32_t reached = levelForXp(xp);
    if (reached > oldLevel) {
        newLevel = reached;
        levelUpUntil = now + 4.5;
        unlockedText = unlockText(oldLevel, reached);
        playSound(SoundLevelUp, 0.9f);
    }
    saveSettings();
}
