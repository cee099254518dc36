#include "audio/wav_export.h"

#include <cstdio>

#include "platform/base/errors.h"
#include "platform/base/file_open.h"

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

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
    std::FILE* f = plat::openFile(path, "wb");
    if (!f) {
        *error = plat::lastErrorMessage();
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (!ok) *error = plat::lastErrorMessage();
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        *error = plat::lastErrorMessage();
    }
    return ok;
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
