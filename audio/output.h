#pragma once
// The sound output: builds the bank, opens the device and installs playSound's sink.
#include "audio/mixer.h"

// Builds the sound bank, then opens the audio device. False when no device could be
// opened: the program then runs silent (playSound does nothing), the bank is still built.
bool initAudio();
// Closes the device and uninstalls playSound's sink; harmless when nothing is open.
void shutdownAudio();
bool audioOpen();

// Master volume of the mix, clamped to 0..1 (0.6 until set). Works with or without a device.
void setMasterVolume(float v);
float masterVolume();

// The process-wide play queue the device pulls from.
Mixer& outputMixer();
