#include "platform/system/audio_device.h"

#include <SDL.h>

#include <cstring>

namespace plat {
namespace {

// SDL's callback thread owns the block; the main thread touches it only while closed.
struct Output {
    SDL_AudioDeviceID id = 0;
    AudioPull pull = nullptr;
    void* user = nullptr;
    int16_t block[AUDIO_BLOCK_SAMPLES] = {};
    int blockPos = AUDIO_BLOCK_SAMPLES;  // consumed part of block
};
Output output;

// SDL may ask for any length; we hand it whole blocks in order, keeping the rest of a
// block for the next request.
void fill(void*, Uint8* stream, int len) {
    auto* out = reinterpret_cast<int16_t*>(stream);
    int wanted = len / static_cast<int>(sizeof(int16_t));
    while (wanted > 0) {
        if (output.blockPos == AUDIO_BLOCK_SAMPLES) {
            output.pull(output.block, output.user);
            output.blockPos = 0;
        }
        int k = AUDIO_BLOCK_SAMPLES - output.blockPos;
        if (k > wanted) k = wanted;
        std::memcpy(out, output.block + output.blockPos, static_cast<size_t>(k) * sizeof(int16_t));
        out += k;
        output.blockPos += k;
        wanted -= k;
    }
}

}  // namespace

bool openAudioDevice(AudioPull pull, void* user) {
    if (output.id != 0 || pull == nullptr) return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    output.pull = pull;
    output.user = user;
    output.blockPos = AUDIO_BLOCK_SAMPLES;

    SDL_AudioSpec want{};
    want.freq = 48000;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = AUDIO_BLOCK_SAMPLES;
    want.callback = &fill;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware wants behind our back.
    output.id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (output.id == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(output.id, 0);
    return true;
}

void closeAudioDevice() {
    if (output.id == 0) return;
    SDL_CloseAudioDevice(output.id);  // waits for the callback thread
    output.id = 0;
    output.pull = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace plat
