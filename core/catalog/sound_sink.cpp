#include <atomic>

#include "core/catalog/sound.h"

namespace {
std::atomic<SoundSink> currentSink{nullptr};
}

void setSoundSink(SoundSink sink) { currentSink.store(sink); }

void playSound(SoundId id, float gain) {
    if (SoundSink sink = currentSink.load()) sink(id, gain);
}
