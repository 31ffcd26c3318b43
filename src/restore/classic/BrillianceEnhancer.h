#pragma once

#include "AlgorithmKernel.h"

#include <array>
#include <vector>

// Adds a × the high-passed signal to the dry signal. The high-pass is a symmetric
// (linear-phase) FIR; the dry path is delayed by the same 20 frames as the filtered one,
// so both line up and the stage reports a latency of 20. With a = 1 everything above
// about 6 kHz is doubled.
//
// Buffers are sized at construction for blocks of up to `maxBlock` frames; longer calls
// are worked through in pieces of that size, which gives the same output.
class BrillianceEnhancer : public AlgorithmKernel {
public:
    static constexpr int32_t kHalfTaps = 10;
    static constexpr int32_t kTaps = 2 * kHalfTaps - 1;
    static constexpr int32_t kDelay = 20;
    // Half of the filter's response; the last value is the centre tap.
    static constexpr std::array<double, kHalfTaps> kHalfResponse = {
        0.002941,  0.008298,  0.014215,  0.014434,  0.000755,
        -0.032423, -0.083064, -0.139594, -0.184373, 0.797606};

    explicit BrillianceEnhancer(int32_t maxBlock);

    void process(const ParameterBlock& params, const float* const* in, float* const* out,
                 int32_t count) override;
    int32_t latency() const override { return kDelay; }

private:
    // Samples kept from earlier calls: the oldest one a tap of the delayed filter reaches.
    static constexpr int32_t kHistory = kDelay + kHalfTaps - 1;

    void processPiece(int32_t channel, float amount, const float* in, float* out, int32_t count);

    int32_t maxBlock_;
    std::array<float, kHalfTaps> taps_{};
    // Per channel: kHistory earlier samples followed by the current piece.
    std::vector<float> work_[2];
};
