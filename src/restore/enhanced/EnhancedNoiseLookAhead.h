#pragma once

#include "EnhancedLsaGain.h"
#include "EnhancedNoiseSettings.h"

#include <complex>
#include <cstdint>
#include <vector>

// The gain of one channel of the enhanced noise reducer when the whole title is at hand (a
// processing run): each frame is held back kDelayFrames, so that
//   - its noise estimate is the one the tracker holds kNoiseAhead frames (3 s) later: known
//     from the first frame of a title on, with no ramp at its start;
//   - its a-priori SNR is decision-directed from both sides in time: the forward recursion
//     of the live form, and a backward one run over chunks of kChunk frames, each started
//     kSettle frames later than the last frame it gives (the recursion forgets its start
//     within a few frames). The gain takes the mean of the two.
// Buffers are made in the constructor; push() allocates nothing.
class EnhancedNoiseLookAhead {
public:
    using Settings = EnhancedNoiseSettings;
    static constexpr int32_t kNoiseAhead = Settings::kNoiseAheadFrames;
    static constexpr int32_t kChunk = 48;
    static constexpr int32_t kSettle = 16;
    static constexpr int32_t kDelayFrames = kNoiseAhead + kSettle + kChunk - 1;

    EnhancedNoiseLookAhead();

    // Takes the spectrum of the newest frame and 1 / the noise power as the tracker holds it
    // now (kPaddedBins values). Once kDelayFrames frames are held, gives the spectrum of the
    // frame kDelayFrames older, its gains applied, in `out` (kBins values) and returns true.
    bool push(const std::complex<float>* spectrum, const float* inverseNoise,
              const Settings::Strength& strength, std::complex<float>* out);

private:
    void backwardChunk(int64_t newest, const Settings::Strength& strength);

    EnhancedLsaGain forward_;
    EnhancedLsaGain backward_;
    std::vector<std::complex<float>> spectra_; // kDelayFrames + 1 frames, a ring
    std::vector<float> snr_;                   // a-posteriori SNR of kSettle + kChunk frames
    std::vector<float> priori_;                // backward a-priori SNR of kChunk frames
    std::vector<float> power_;
    std::vector<float> gains_;
    int64_t frames_ = 0; // frames pushed
};
