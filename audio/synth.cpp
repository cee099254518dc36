#include "audio/synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kRate = AUDIO_SAMPLE_RATE;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// The 32-bit LCG every generator draws exactly one value from per sample, so each call
// replays bit for bit.
struct Noise {
    uint32_t x;
    double next() {
        x = x * 1103515245u + 12345u;
        return static_cast<double>((x >> 9) & 0x7FFFu) / 16384.0 - 1.0;
    }
};

size_t sampleCount(double duration) {
    double n = duration * kRate;
    return n >= 1.0 ? static_cast<size_t>(n) : 0;
}

const char* const kNames[] = {
    "hit_classic", "miss", "tick", "go", "round_end", "finish", "click", "shot_pistol",
    "shot_rifle", "shot_sniper", "level_up", "scope_in", "hit_pop", "hit_ding", "hit_click",
};
static_assert(std::size(kNames) == SOUND_COUNT, "a name for every SoundId");

std::array<Sound, SOUND_COUNT>& bankStorage() {
    // Never destroyed: the output callback may still read it while the process exits.
    static auto* bank = new std::array<Sound, SOUND_COUNT>();
    return *bank;
}

bool bankBuilt = false;

}  // namespace

Sound synthTone(double f0, double f1, double duration, double decay, double gain, double noise) {
    size_t count = sampleCount(duration);
    Sound out(count);
    Noise rng{12345u};
    double phase = 0.0;
    for (size_t i = 0; i < count; ++i) {
        double t = static_cast<double>(i) / kRate;
        double f = f0 + (f1 - f0) * t / duration;
        phase += kTwoPi * f / kRate;
        double n = rng.next();
        double body = std::sin(phase) + 0.35 * std::sin(2.0 * phase);
        double value = std::min(t / 0.002, 1.0) * gain * std::exp(-t / decay) *
                       (body * (1.0 - noise) + n * noise * std::exp(-t / 0.004));
        out[i] = static_cast<float>(value);
    }
    return out;
}

Sound synthGunshot(double duration, double decay, double lowpass, double bodyHz, double gain,
                   double tail) {
    size_t count = sampleCount(duration);
    Sound out(count);
    Noise rng{777u};
    double phase = 0.0;
    double lp = 0.0;
    for (size_t i = 0; i < count; ++i) {
        double t = static_cast<double>(i) / kRate;
        phase += kTwoPi * bodyHz * (1.0 - 0.5 * t / duration) / kRate;
        double n = rng.next();
        lp += (n - lp) * lowpass;
        double crack = 1.6 * lp * std::exp(-t / decay);
        double body = 0.8 * std::sin(phase) * std::exp(-t / (1.8 * decay));
        double rumble = tail > 0.0 ? 0.35 * tail * lp * std::exp(-t / (0.4 * duration)) : 0.0;
        double value = std::min(t / 0.0008, 1.0) * gain * (crack + body + rumble);
        out[i] = static_cast<float>(value);
    }
    return out;
}

Sound synthHitVariant(int variant) {
    // Fixed lengths: pop 0.14 s, ding 0.32 s, click 0.07 s.
    double duration = variant == 0 ? 0.14 : variant == 1 ? 0.32 : 0.07;
    size_t count = variant == 0 ? 6720 : variant == 1 ? 15360 : 3360;
    double level = variant == 0 || variant == 1 ? 0.55 : 0.72;
    Sound out(count);
    Noise rng{4242u};
    double p1 = 0.0, p2 = 0.0, p3 = 0.0;
    double prevN = 0.0;
    for (size_t i = 0; i < count; ++i) {
        double t = static_cast<double>(i) / kRate;
        double n = rng.next();
        double d = n - prevN;
        prevN = n;
        double s;
        if (variant == 0) {
            double f = 520.0 + 560.0 * std::exp(-t / 0.018);
            p1 += kTwoPi * f / kRate;
            p2 += kTwoPi * (2.0 * f) / kRate;
            s = 0.85 * std::sin(p1) * std::exp(-t / 0.045) + 0.25 * std::sin(p2) * std::exp(-t / 0.02) +
                0.35 * d * std::exp(-t / 0.0025);
        } else if (variant == 1) {
            p1 += kTwoPi * 1760.0 / kRate;
            p2 += kTwoPi * 4857.6 / kRate;
            p3 += kTwoPi * 9504.0 / kRate;
            s = 0.55 * std::sin(p1) * std::exp(-t / 0.11) + 0.25 * std::sin(p2) * std::exp(-t / 0.05) +
                0.1 * std::sin(p3) * std::exp(-t / 0.02) + 0.25 * d * std::exp(-t / 0.0015);
        } else {
            p1 += kTwoPi * 2900.0 / kRate;
            s = 0.5 * std::sin(p1) * std::exp(-t / 0.01) + (0.35 * d + 0.3 * n) * std::exp(-t / 0.003);
        }
        double value = level * std::min(t / 0.0006, 1.0) * std::min((duration - t) / 0.01, 1.0) * s;
        out[i] = static_cast<float>(value);
    }
    return out;
}

void appendSound(Sound& sound, const Sound& piece, double gapSeconds) {
    size_t gap = gapSeconds > 0.0 ? static_cast<size_t>(gapSeconds * kRate) : 0;
    sound.reserve(sound.size() + gap + piece.size());
    sound.insert(sound.end(), gap, 0.0f);
    sound.insert(sound.end(), piece.begin(), piece.end());
}

const char* soundName(int id) { return id >= 0 && id < SOUND_COUNT ? kNames[id] : ""; }

std::array<Sound, SOUND_COUNT> synthesizeBank() {
    std::array<Sound, SOUND_COUNT> bank;
    bank[SoundHitClassic] = synthTone(1500, 900, 0.07, 0.025, 0.55, 0.35);
    bank[SoundMiss] = synthTone(240, 150, 0.07, 0.03, 0.3, 0.15);
    bank[SoundTick] = synthTone(880, 880, 0.08, 0.03, 0.35, 0);
    bank[SoundGo] = synthTone(1320, 1320, 0.16, 0.06, 0.4, 0);

    Sound roundEnd;
    appendSound(roundEnd, synthTone(660, 660, 0.1, 0.05, 0.35, 0), 0);
    appendSound(roundEnd, synthTone(990, 990, 0.14, 0.06, 0.35, 0), 0.01);
    bank[SoundRoundEnd] = std::move(roundEnd);

    Sound finish;
    for (double f : {523.0, 659.0, 784.0}) appendSound(finish, synthTone(f, f, 0.11, 0.06, 0.32, 0), 0);
    appendSound(finish, synthTone(1047, 1047, 0.3, 0.12, 0.36, 0), 0);
    bank[SoundFinish] = std::move(finish);

    bank[SoundClick] = synthTone(2000, 1800, 0.015, 0.006, 0.18, 0);
    bank[SoundShotPistol] = synthGunshot(0.16, 0.022, 0.55, 150, 0.36, 0);
    bank[SoundShotRifle] = synthGunshot(0.22, 0.03, 0.45, 110, 0.38, 0.3);
    bank[SoundShotSniper] = synthGunshot(0.75, 0.06, 0.3, 70, 0.48, 1.0);

    Sound levelUp;
    for (double f : {523.0, 784.0}) appendSound(levelUp, synthTone(f, f, 0.09, 0.05, 0.3, 0), 0);
    appendSound(levelUp, synthTone(1047, 1047, 0.09, 0.05, 0.32, 0), 0);
    appendSound(levelUp, synthTone(1568, 1568, 0.35, 0.15, 0.34, 0), 0);
    bank[SoundLevelUp] = std::move(levelUp);

    bank[SoundScopeIn] = synthTone(600, 900, 0.05, 0.02, 0.15, 0.4);
    bank[SoundHitPop] = synthHitVariant(0);
    bank[SoundHitDing] = synthHitVariant(1);
    bank[SoundHitClick] = synthHitVariant(2);
    return bank;
}

void buildSoundBank() {
    if (bankBuilt) return;
    bankStorage() = synthesizeBank();
    bankBuilt = true;
}

const std::array<Sound, SOUND_COUNT>& soundBank() { return bankStorage(); }
