#pragma once

#include "RepairOption.h"

#include <array>
#include <cmath>
#include <cstdint>

// Every setting of the enhanced noise reducer in one place. Only the floor is the user's:
// the user value p lets the gain fall to 10^(−30 p / 20) (p = 0.5: −15 dB).
struct EnhancedNoiseSettings {
    static constexpr int32_t kFftSize = 2048;
    static constexpr int32_t kHop = 512;
    static constexpr int32_t kBins = kFftSize / 2 + 1;
    static constexpr int32_t kLatency = kFftSize; // three hops inside, one in the adapter

    // Noise estimate: the running minimum of the 0.5 s mean periodogram, allowed to rise
    // by 1 dB per 4 s, times a bias calibrated on white noise.
    static constexpr int32_t kMeanFrames = 43;
    static constexpr float kBias = 1.5f;
    static constexpr float kRisePerFrame = 1.000667959f; // 10^(0.0029 / 10)
    static constexpr double kSilentPower = 1e-14;        // mean bin power of digital silence
    // Above 400 Hz the estimate is the median of ±8 bins, so long partials are not noise;
    // below, each bin keeps its own, so hum lines go.
    static constexpr int32_t kMedianFromBin = 18; // 400 Hz
    static constexpr int32_t kMedianHalfWidth = 8;
    static constexpr int32_t kSmoothEvery = 4; // frames between two medians across frequency

    // Noise-presence guard: broadband noise fluctuates like noise (the variance of its
    // periodogram over the minimum window is about its mean squared) in most bins between
    // 400 Hz and 16 kHz, and lies above the 16-bit quantisation floor. Without it the
    // estimate would be the quietest music, and the music would be turned down: the guard
    // scales the estimate towards nothing.
    static constexpr int32_t kGuardToBin = 743; // 16 kHz
    static constexpr float kNoiseLikeLow = 0.3f;
    static constexpr float kNoiseLikeHigh = 3.0f;
    static constexpr float kPresentFrom = 0.25f;  // share of noise-like bins: no noise ...
    static constexpr float kPresentAt = 0.5f;     // ... to noise present
    static constexpr float kAudibleFloor = 1e-6f; // bin power of white noise at -90 dBFS
    static constexpr float kPresenceRate = 0.05f; // per frame: about a quarter second
    static constexpr float kTrustFrom = 0.3f;     // presence below which nothing is removed

    // Gain: MMSE log-spectral amplitude, decision-directed a-priori SNR. A weight of 0.95
    // (rather than 0.9) keeps the residual hiss 3 dB lower at the same floor.
    static constexpr float kDecisionWeight = 0.95f;
    static constexpr float kPrioriFloor = 0.0031622777f; // −25 dB
    static constexpr float kPosterioriCeiling = 1e4f;
    static constexpr float kFloorDb = 30.0f;

    static float gainFloor(float p) {
        p = p < 0.0f ? 0.0f : (p > 1.0f ? 1.0f : p);
        return std::pow(10.0f, -kFloorDb * p / 20.0f);
    }

    static constexpr std::array<RepairOption, 1> kOptions{
        RepairOption{"floor", 0.5f, 0.0f, 1.0f, "0 off .. 1 for -30 dB"}};
};
