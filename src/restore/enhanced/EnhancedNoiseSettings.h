#pragma once

#include "RepairOption.h"

#include <array>
#include <cmath>
#include <cstdint>

// Every setting of the enhanced noise reducer in one place. The user value p sets the
// strength of the reduction (strength()): 0 is off, 1 is strong.
struct EnhancedNoiseSettings {
    static constexpr int32_t kFftSize = 2048;
    static constexpr int32_t kHop = 512;
    static constexpr int32_t kBins = kFftSize / 2 + 1;
    static constexpr int32_t kLatency = kFftSize; // three hops inside, one in the adapter
    // A processing run gives each frame the noise estimate of 256 frames (3 s) later.
    static constexpr int32_t kNoiseAheadFrames = 256;

    // Noise estimate: the running minimum of the 0.5 s mean periodogram, allowed to rise
    // by 1 dB per 4 s, times a bias calibrated on white noise. The periodograms are summed
    // in blocks of kBlockFrames; the estimate moves on at the end of each block.
    static constexpr int32_t kBlockFrames = 4;
    static constexpr int32_t kMeanBlocks = 11; // 44 frames, 0.5 s
    static constexpr float kBias = 1.5f;
    static constexpr float kRisePerBlock = 1.002674f; // 10^(4 × 0.0029 / 10)
    static constexpr float kSilentPower = 1e-14f;     // mean bin power of digital silence
    // Music that comes and goes (drums, a snare) fills every half second: the hiss is seen
    // in the gaps between the hits. The gap floor is the least mean of two blocks (93 ms)
    // over the last kGapPairs pairs (0.5 s); the estimate is held to kGapCeiling times it.
    static constexpr int32_t kGapPairs = 11;
    static constexpr float kGapCeiling = 2.0f;
    // Above 400 Hz the estimate is the median of ±8 bins, so long partials are not noise;
    // below, each bin keeps its own, so hum lines go.
    static constexpr int32_t kMedianFromBin = 18; // 400 Hz
    // The most a bin below it may take away: the estimate of a line at about −35 dBFS RMS
    // (hum of −40 dBFS gives about 130).
    static constexpr float kLineCeiling = 400.0f;
    static constexpr int32_t kMedianHalfWidth = 8;

    // Noise-presence guard. Without broadband noise the estimate would be the quietest
    // music (or the crackle), and the music would be turned down: the guard scales the
    // estimate towards nothing unless the floor is hiss. Hiss lies above the 16-bit
    // quantisation floor; in most bins between 400 Hz and 16 kHz it keeps its gap floor from
    // one half second to the next (the quietest moments of music do not), and its powers
    // over the gap pair spread like noise (about 0.6 over those eight overlapping frames;
    // near 0 for tones, more for a decaying burst). While most bins are hidden by music
    // that comes and goes (their floor moved), the guard holds its judgement. And hiss is
    // not made of ticks: the part of a frame at the floor above 2 kHz, back in time, is
    // about as peaked as Gaussian noise (kurtosis 3 to 4.5 under the Hann power window),
    // where crackle gives tens.
    static constexpr int32_t kGuardToBin = 743;   // 16 kHz
    static constexpr float kAudibleFloor = 1e-6f; // bin power of white noise at -90 dBFS
    static constexpr float kAudibleShare = 0.25f; // of the bins above it, or no noise
    static constexpr float kSteadyRatio = 3.0f;   // gap floor against half a second before
    static constexpr float kSteadyShare = 0.6f;   // of the bins steady, or no judgement
    static constexpr float kNoiseLikeLow = 0.2f;  // spread of a noise-like gap pair
    static constexpr float kNoiseLikeHigh = 1.6f;
    static constexpr float kPresentFrom = 0.4f;    // share of noise-like bins: no noise ...
    static constexpr float kPresentAt = 0.65f;     // ... to noise present
    static constexpr float kPresenceRate = 0.185f; // per block: about a quarter second
    static constexpr float kTrustFrom = 0.3f;      // presence below which nothing is removed
    static constexpr int32_t kPeakedFromBin = 93;  // 2 kHz: above most tones' skirts
    static constexpr float kFloorBand = 2.5f;      // bins under 2.5 × the floor are the floor
    static constexpr float kPeakedFrom = 5.5f;     // kurtosis of the floor: noise ...
    static constexpr float kPeakedAt = 8.0f;       // ... to ticks
    static constexpr int32_t kPeakedEvery = 4;     // blocks between two looks
    static constexpr float kPeakedRate = 0.3f;     // per look

    // Gain: MMSE log-spectral amplitude, decision-directed a-priori SNR. A weight of 0.95
    // (rather than 0.9) keeps the residual hiss 3 dB lower at the same floor.
    static constexpr float kDecisionWeight = 0.95f;
    static constexpr float kPrioriFloor = 0.0031622777f; // −25 dB
    static constexpr float kPosterioriCeiling = 1e4f;

    // What p sets: the floor of the gain (down to −kFloorDb at p = 1), the share of the
    // noise estimate taken away (the a-posteriori SNR is divided by 1 + kOverSubtraction p³)
    // and the least a-priori SNR (kPrioriFloorDb at p = 0.5, kPrioriFloorSlopeDb lower per
    // unit of p). The floor alone is rarely reached: what a stronger setting must also take
    // is the hiss that flickers above it. On hiss alone p = 0.2, 0.4 .. 1 take about 7, 12,
    // 16, 20 and 25 dB; p = 0 is off.
    static constexpr float kFloorDb = 36.0f;
    static constexpr float kOverSubtraction = 3.0f;
    static constexpr float kPrioriFloorDb = -25.0f;
    static constexpr float kPrioriFloorSlopeDb = 20.0f;

    struct Strength {
        float floor = 1.0f;               // the least gain
        float snrScale = 1.0f;            // 1 / the over-subtraction
        float prioriFloor = kPrioriFloor; // the least a-priori SNR
    };

    static Strength strength(float p) {
        p = p < 0.0f ? 0.0f : (p > 1.0f ? 1.0f : p);
        return {std::pow(10.0f, -kFloorDb * p / 20.0f),
                1.0f / (1.0f + kOverSubtraction * p * p * p),
                std::pow(10.0f, (kPrioriFloorDb - kPrioriFloorSlopeDb * (p - 0.5f)) / 10.0f)};
    }

    static constexpr std::array<RepairOption, 1> kOptions{
        RepairOption{"strength", 0.5f, 0.0f, 1.0f, "0 off .. 1 strong (gain down to -36 dB)"}};
};
