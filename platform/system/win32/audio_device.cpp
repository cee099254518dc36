// WINMM wave output: four 256-sample buffers circulate through the device; its event
// callback wakes our thread, which refills each buffer the device has handed back.
#include "platform/system/audio_device.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <thread>

namespace plat {

namespace {

constexpr int kBuffers = 4;

struct Output {
    HWAVEOUT device = nullptr;
    HANDLE bufferDone = nullptr;  // auto-reset; signalled by the device per finished buffer
    WAVEHDR headers[kBuffers] = {};
    int16_t samples[kBuffers][AUDIO_BLOCK_SAMPLES] = {};
    AudioPull pull = nullptr;
    void* user = nullptr;
    std::atomic<bool> running{false};
    std::thread thread;
};
Output output;

void fillAndWrite(int k) {
    output.pull(output.samples[k], output.user);
    waveOutWrite(output.device, &output.headers[k], sizeof(WAVEHDR));
}

void threadMain() {
    for (int k = 0; k < kBuffers; ++k) fillAndWrite(k);
    while (output.running.load()) {
        // The time-out notices a stop even if a signal is missed.
        WaitForSingleObject(output.bufferDone, 20);
        if (!output.running.load()) break;
        for (int k = 0; k < kBuffers; ++k) {
            if (output.headers[k].dwFlags & WHDR_DONE) {
                output.headers[k].dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
                fillAndWrite(k);
            }
        }
    }
}

void closeDevice() {
    waveOutReset(output.device);
    for (WAVEHDR& h : output.headers)
        if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(output.device, &h, sizeof(WAVEHDR));
    waveOutClose(output.device);
    output.device = nullptr;
    CloseHandle(output.bufferDone);
    output.bufferDone = nullptr;
}

}  // namespace

bool openAudioDevice(AudioPull pull, void* user) {
    if (output.device || !pull) return false;
    output.bufferDone = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!output.bufferDone) return false;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 48000;
    format.nAvgBytesPerSec = 96000;
    format.nBlockAlign = 2;
    format.wBitsPerSample = 16;
    format.cbSize = 0;
    if (waveOutOpen(&output.device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(output.bufferDone), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        // No device (or the format refused): the program runs silent.
        output.device = nullptr;
        CloseHandle(output.bufferDone);
        output.bufferDone = nullptr;
        return false;
    }
    for (int k = 0; k < kBuffers; ++k) {
        WAVEHDR& h = output.headers[k];
        h = WAVEHDR{};
        h.lpData = reinterpret_cast<LPSTR>(output.samples[k]);
        h.dwBufferLength = sizeof output.samples[k];
        if (waveOutPrepareHeader(output.device, &h, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            closeDevice();
            return false;
        }
    }
    output.pull = pull;
    output.user = user;
    output.running.store(true);
    output.thread = std::thread(threadMain);
    return true;
}

void closeAudioDevice() {
    if (!output.device) return;
    output.running.exchange(false);
    SetEvent(output.bufferDone);
    if (output.thread.joinable()) output.thread.join();
    closeDevice();
    output.pull = nullptr;
    output.user = nullptr;
}

}  // namespace plat
