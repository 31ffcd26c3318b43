#pragma once

#include "EnhancedNoiseSettings.h"

#include <cstdint>
#include <vector>

// The noise estimate of one channel of the enhanced noise reducer, frame by frame: the
// running minimum per bin of the 0.5 s mean periodogram (rising 1 dB per 4 s at most,
// frames of digital silence skipped), the median across frequency above 400 Hz, and the
// noise-presence guard, which scales the estimate towards nothing on material without
// broadband noise. Buffers are made in the constructor; update() allocates nothing.
class EnhancedNoiseTracker {
public:
    using Settings = EnhancedNoiseSettings;

    EnhancedNoiseTracker();

    // Takes the periodogram of the next frame (kBins values) and writes the noise power
    // per bin to be removed from it.
    void update(const float* power, float* noise);

    // 0 (no broadband noise found) .. 1 (noise present).
    float presence() const { return presence_; }
    // Frames seen since the start.
    int64_t frames() const { return frames_; }

private:
    void addFrame(const float* power);
    void trackMinimum();
    void smoothAcrossFrequency(float* noise);
    void updatePresence();

    std::vector<float> history_; // kMeanFrames periodograms, a ring
    std::vector<double> sum_;
    std::vector<double> sumSquares_;
    std::vector<float> minimum_;
    std::vector<float> fluctuation_; // of the window that last set the minimum
    std::vector<float> estimate_;
    std::vector<float> smoothed_; // the estimate after the median across frequency
    std::vector<float> scratch_;
    int32_t next_ = 0;
    int32_t filled_ = 0;
    int64_t frames_ = 0;
    float presence_ = 0.0f;
};
