#pragma once

#include "EnhancedNoiseSettings.h"

#include <cstdint>
#include <vector>

// The MMSE log-spectral-amplitude gain of one channel, frame by frame, with the
// decision-directed a-priori SNR (which carries last frame's gain and SNR per bin). No
// smoothing across frequency: it would pull tonal peaks down.
class EnhancedLsaGain {
public:
    using Settings = EnhancedNoiseSettings;

    EnhancedLsaGain();

    // gain[k] for periodogram power[k] over noise[k] (kBins each), not below `floor`.
    void compute(const float* power, const float* noise, float floor, float* gain);
    // Forgets the last frame (as at the start).
    void reset();

    // E1(v), the exponential integral, for v > 0 (to about 1e-4 relative).
    static float exponentialIntegral(float v);
    // exp(E1(v) / 2), the factor of the log-spectral-amplitude gain.
    static float halfExpIntegralExp(float v);

private:
    std::vector<float> lastGain_;
    std::vector<float> lastSnr_;
};
