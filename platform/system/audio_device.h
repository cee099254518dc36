#pragma once
#include <cstdint>

namespace plat {

// Samples the device asks for in one pull (5.33 ms at 48 kHz).
constexpr int AUDIO_BLOCK_SAMPLES = 256;

// Fills exactly AUDIO_BLOCK_SAMPLES signed 16-bit mono samples. Runs on the device's own
// thread.
using AudioPull = void (*)(int16_t* out, void* user);

// Opens the default output at 48 kHz, mono, 16-bit and starts pulling blocks from `pull`.
// False when there is no usable device (nothing is left open then). One device at a time.
bool openAudioDevice(AudioPull pull, void* user);
// Stops pulling (no call to `pull` is running or follows once this returns) and closes.
// Harmless when nothing is open.
void closeAudioDevice();

}  // namespace plat
