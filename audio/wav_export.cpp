#include "audio/wav_export.h"

#include <cstdio>

#include "platform/base/atomic_file.h"
#include "platform/base/errors.h"

namespace {

void put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void putTag(std::vector<uint8_t>& b, const char* tag) {
    for (const char* c = tag; *c; ++c) b.push_back(static_cast<uint8_t>(*c));
}

// Written beside and moved into place, as the captures are: a full disk or a kill part-way
// leaves the earlier file or none, never one whose header claims more than it holds.
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
    if (plat::writeFileAtomically(path, std::string(bytes.begin(), bytes.end()))) return true;
    *error = plat::lastErrorMessage();
    return false;
}

}  // namespace

std::vector<uint8_t> encodeWav(const Sound& sound) {
    const uint32_t n = static_cast<uint32_t>(sound.size());
    std::vector<uint8_t> b;
    b.reserve(44 + 2 * static_cast<size_t>(n));
    putTag(b, "RIFF");
    put32(b, 36 + 2 * n);
    putTag(b, "WAVEfmt ");
    put32(b, 16);
    put16(b, 1);  // PCM
    put16(b, 1);  // mono
    put32(b, AUDIO_SAMPLE_RATE);
    put32(b, AUDIO_SAMPLE_RATE * 2);
    put16(b, 2);
    put16(b, 16);
    putTag(b, "data");
    put32(b, 2 * n);
    for (float x : sound) put16(b, static_cast<uint16_t>(sampleToPcm16(x)));
    return b;
}

bool exportSounds(const std::string& dir) {
    const auto& bank = soundBank();
    int failed = 0;
    for (int id = 0; id < SOUND_COUNT; ++id) {
        std::string path = dir + "/" + soundName(id) + ".wav";
        std::string error;
        if (!writeFile(path, encodeWav(bank[id]), &error)) {
            std::fprintf(stderr, "tarvion: cannot write %s: %s\n", path.c_str(), error.c_str());
            ++failed;
        }
    }
    return failed == 0;
}

int runExportSounds(const std::string& dir) {
    buildSoundBank();
    return exportSounds(dir) ? 0 : 1;
}
