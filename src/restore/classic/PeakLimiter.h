#pragma once

#include "AlgorithmKernel.h"
#include "BlockAdapter.h"
#include "LookAheadLimiter.h"

// The last float stage of the chain: a look-ahead limiter behind a 2048-frame block
// adapter. Its output lags its input by 2048 + 87 = 2135 frames.
class PeakLimiter : public AlgorithmKernel {
public:
    static constexpr int32_t kBlock = 2048;
    static constexpr int32_t kLatency = kBlock + LookAheadLimiter::kDelay;

    PeakLimiter() : adapter_(kBlock), limiter_(kBlock) {}

    void process(const ParameterBlock& params, const float* const* in, float* const* out,
                 int32_t count) override;
    int32_t latency() const override { return kLatency; }

    double gain() const { return limiter_.gain(); }

private:
    BlockAdapter adapter_;
    LookAheadLimiter limiter_;
};
