#include "audio/output.h"

#include <atomic>

#include "core/catalog/sound.h"
#include "platform/system/audio_device.h"

namespace {

std::atomic<bool> audioRunning{false};
bool deviceOpen = false;  // written only while the device thread is not running

// Runs on the device's thread: one buffer of the mix, or silence once we are stopping.
void pullMix(int16_t* out, void*) {
    if (!audioRunning.load()) {
        for (int j = 0; j < MIX_BUFFER_SAMPLES; ++j) out[j] = 0;
        return;
    }
    outputMixer().mix(out);
}

void queueSound(SoundId id, float gain) {
    if (static_cast<unsigned>(id) >= SOUND_COUNT) return;
    outputMixer().play(soundBank()[id], gain);
}

}  // namespace

Mixer& outputMixer() {
    // Never destroyed, so a device thread still running at exit finds it intact.
    static auto* mixer = new Mixer();
    return *mixer;
}

bool initAudio() {
    buildSoundBank();
    if (deviceOpen) return true;
    audioRunning.store(true);
    if (!plat::openAudioDevice(&pullMix, nullptr)) {
        audioRunning.store(false);
        return false;
    }
    deviceOpen = true;
    setSoundSink(&queueSound);
    return true;
}

void shutdownAudio() {
    if (!deviceOpen) return;
    setSoundSink(nullptr);
    audioRunning.exchange(false);
    plat::closeAudioDevice();  // joins the device thread
    deviceOpen = false;
    outputMixer().clear();
}

bool audioOpen() { return deviceOpen; }

void setMasterVolume(float v) { outputMixer().setMasterVolume(v); }
float masterVolume() { return outputMixer().masterVolume(); }
