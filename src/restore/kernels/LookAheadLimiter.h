#pragma once

#include <cstdint>
#include <vector>

// A look-ahead peak limiter: the signal is delayed by La − 1 = 87 frames while the gain
// ramps down in a straight line over the La − 2 frames before a peak reaches the output,
// so the peak leaves at the threshold of −0.025 dBFS; afterwards the gain releases
// exponentially, faster after short limiting than after long. The output is also clipped
// to ±1.0. All channels share one gain.
//
// Buffers are made in the constructor for calls of up to `maxBlock` frames; longer calls
// are worked through in pieces, which gives the same output.
class LookAheadLimiter {
public:
    static constexpr int32_t kMaxChannels = 2;
    static constexpr int32_t kLookAhead = 88; // La = trunc(44 100 × 0.002)
    static constexpr int32_t kDelay = kLookAhead - 1;
    static constexpr double kThresholdDb = -0.025;

    explicit LookAheadLimiter(int32_t maxBlock);

    // `in` and `out` may be the same buffers.
    void process(const float* const* in, float* const* out, int32_t channels, int32_t count);

    double gain() const { return gain_; }

private:
    void processPiece(const float* const* in, float* const* out, int32_t channels, int32_t count);
    // The gain for each frame of the piece, from the peak powers in gains_.
    void followPeaks(int32_t count);

    int32_t maxBlock_;
    double gain_ = 1.0;
    double target_ = 1.0;
    double attackStart_ = 1.0; // gain when the current attack began
    double heldPower_;
    double releaseCoefficient_;
    int32_t holdCount_ = 0;
    int32_t releaseSteps_ = 0;
    int32_t limitedCount_ = 0;
    // Per channel: the last kDelay input frames, then the current piece.
    std::vector<float> delayed_[kMaxChannels];
    // Peak power of each frame, turned into its gain in place.
    std::vector<double> gains_;
};
