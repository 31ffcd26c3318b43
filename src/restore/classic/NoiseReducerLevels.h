#pragma once

#include "NoiseReducerHistogram.h"

#include <array>
#include <cstdint>

// The noise power estimate of one channel: eight sub-bands of 64 bins, each with its
// level histogram. Bin powers are counted on one frame and the histograms read on the
// next; the sub-band levels, held no higher than their mean, are spread back over the
// bins as a noise power for every group of four bins.
class NoiseReducerLevels {
public:
    static constexpr int32_t kSubBands = 8;
    static constexpr int32_t kSubBandBins = 64;
    static constexpr int32_t kGroupBins = 4;
    static constexpr int32_t kGroups = kSubBands * kSubBandBins / kGroupBins;
    // Bins counted: above 1 and below trunc(20 000 Hz × 1024 / 44 100 + 0.5).
    static constexpr int32_t kFirstBin = 2;
    static constexpr int32_t kEndBin = 464;
    // Powers counted lie strictly between these.
    static constexpr float kMinPower = 1e-12f;
    static constexpr float kMaxPower = 0.01f;

    void reset();
    // Counts the bin powers re² + im² of one frame (bins 0 .. 511).
    void update(const float* power);
    // Reads the histograms into the sub-band levels and the noise power per group.
    void evaluate();

    const NoiseReducerHistogram& subBand(int32_t band) const { return bands_[band]; }
    double level(int32_t band) const { return bands_[band].level(); }
    // Mean level of the sub-bands, in dB.
    double noiseLevelDb() const { return noiseLevelDb_; }
    // Noise power of each group of four bins (0 until the first evaluation).
    const float* noisePower() const { return noisePower_.data(); }

private:
    double meanLevel() const;

    std::array<NoiseReducerHistogram, kSubBands> bands_;
    std::array<float, kGroups> noisePower_{};
    double noiseLevelDb_ = 0.0;
};
