#pragma once
// Writes the sound bank out as 48 kHz mono 16-bit WAV files.
#include <cstdint>
#include <string>
#include <vector>

#include "audio/synth.h"

// The whole file: 44-byte RIFF header, then the samples as 16-bit PCM.
std::vector<uint8_t> encodeWav(const Sound& sound);

// Writes dir + "/" + name + ".wav" for all fifteen sounds in id order, replacing existing
// files; the folder must exist. Each file that cannot be written costs one line on stderr
// and the rest still go. True when all fifteen were written. Needs the bank built.
bool exportSounds(const std::string& dir);

// The --export-sounds command: builds the bank (no device is opened), exports and returns
// the process exit code: 0 when all files were written, 1 otherwise.
int runExportSounds(const std::string& dir);
