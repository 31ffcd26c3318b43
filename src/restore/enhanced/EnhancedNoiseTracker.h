#pragma once

#include "EnhancedFloorPeakedness.h"
#include "EnhancedNoiseSettings.h"

#include <complex>
#include <cstdint>
#include <vector>

// The noise estimate of one channel of the enhanced noise reducer: the running minimum per
// bin of the 0.5 s mean periodogram (rising 1 dB per 4 s at most, windows of digital
// silence skipped), held to a multiple of the floor in the gaps of music that comes and
// goes, the median across frequency above 400 Hz, and the noise-presence guard, which
// scales the estimate towards nothing on material without broadband noise. The
// periodograms are summed in blocks of kBlockFrames frames; all else is worked out once
// per block. Buffers are made in the constructor; update() allocates nothing.
class EnhancedNoiseTracker {
public:
    using Settings = EnhancedNoiseSettings;
    // Arrays are this long (kBins rounded up to whole lanes).
    static constexpr int32_t kPaddedBins = (Settings::kBins + 7) / 8 * 8;

    EnhancedNoiseTracker();

    // Takes the next frame, its spectrum and periodogram (kBins values, `power` readable
    // to kPaddedBins), and gives the noise power per bin to be removed from it
    // (kPaddedBins values, above 0), valid until the next call.
    const float* update(const std::complex<float>* spectrum, const float* power);

    // 1 / the noise power of the last update() (kPaddedBins values).
    const float* inverseNoise() const { return inverseNoise_.data(); }

    // 0 (no broadband noise found) .. 1 (noise present).
    float presence() const { return presence_; }
    // The floor's kurtosis as last smoothed (3 to 4.5 for noise, tens for crackle).
    float peakedness() const { return peakedness_; }
    // Frames seen since the start.
    int64_t frames() const { return frames_; }

private:
    void endBlock(const std::complex<float>* spectrum, const float* power);
    void smoothAcrossFrequency();
    void updatePresence(const std::complex<float>* spectrum, const float* power);

    EnhancedFloorPeakedness peaked_;
    std::vector<float> sums_;      // kMeanBlocks blocks of summed periodograms, a ring
    std::vector<float> squares_;   // ... and of their squares
    std::vector<double> totals_;   // the mean bin power of each block
    std::vector<float> pairMeans_; // kGapPairs means of two blocks, a ring
    std::vector<float> pairSpreads_;
    std::vector<float> gaps_; // the gap floor after each of the last kGapPairs blocks, a ring
    std::vector<float> minimum_;
    std::vector<float> spread_;   // of the pair behind the gap floor; -1 where that moved
    std::vector<float> estimate_; // with kMedianHalfWidth bins of margin on each side
    std::vector<float> smoothed_; // after the median across frequency
    std::vector<float> noise_;
    std::vector<float> inverseNoise_;
    int32_t block_ = 0; // ring slot of the block being summed
    int32_t pair_ = 0;
    int64_t blocks_ = 0;
    int64_t frames_ = 0;
    float presence_ = 0.0f;
    float peakedness_ = 0.0f;
};
