#pragma once

#include "EnhancedNoiseSettings.h"

#include <cstdint>
#include <vector>

// The MMSE log-spectral-amplitude gain of one channel, frame by frame, with the
// decision-directed a-priori SNR (which carries last frame's gain² × SNR per bin). No
// smoothing across frequency: it would pull tonal peaks down.
class EnhancedLsaGain {
public:
    using Settings = EnhancedNoiseSettings;

    EnhancedLsaGain();

    // Arrays of the gain are this long (kBins rounded up to whole lanes); the bins beyond
    // kBins are worked like the others and mean nothing.
    static constexpr int32_t kPaddedBins = (Settings::kBins + 7) / 8 * 8;

    // snr[k] = power[k] × inverseNoise[k] × scale (the a-posteriori SNR, kPaddedBins each),
    // at most kPosterioriCeiling.
    static void posteriori(const float* power, const float* inverseNoise, float scale, float* snr);
    // The next frame of the recursion from its a-posteriori SNR: gain[k], not below the
    // strength's floor. With `other` (the a-priori SNR of the other direction of time) the gain
    // takes the mean of the two; with `priori`, the frame's own a-priori SNR is kept there.
    void step(const float* snr, const float* other, const Settings::Strength& strength, float* gain,
              float* priori);
    // posteriori() and step() of a frame in the live form.
    void compute(const float* power, const float* inverseNoise, const Settings::Strength& strength,
                 float* gain);
    // Forgets the last frame (as at the start).
    void reset();

    // E1(v), the exponential integral, for v > 0 (to about 1e-4 relative).
    static float exponentialIntegral(float v);
    // exp(E1(v) / 2), the factor of the log-spectral-amplitude gain.
    static float halfExpIntegralExp(float v);

private:
    std::vector<float> lastClean_; // last frame's gain² × SNR per bin
    std::vector<float> wiener_;    // this frame's, between the passes
    std::vector<float> argument_;
    std::vector<float> snr_;
};
