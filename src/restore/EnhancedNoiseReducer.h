#pragma once

#include "AlgorithmKernel.h"
#include "EnhancedChannelSet.h"
#include "EnhancedNoiseChannel.h"
#include "RepairReport.h"

// Slot 2 of the chain in enhanced mode: spectral noise reduction with a per-bin noise
// estimate by minimum statistics, the MMSE log-spectral-amplitude gain and a guard that
// leaves material without broadband noise alone. One EnhancedNoiseChannel per channel
// behind a block adapter of one hop; calls of any length; the output lags the input by
// exactly kLatency frames. The user value p sets the gain floor before every call.
// Reports a hop as repaired when it was lowered by 1 dB or more, and the samples it
// changed by more than half a 16-bit step.
class EnhancedNoiseReducer : public AlgorithmKernel, public RepairReporter {
public:
    static constexpr int32_t kLatency = EnhancedNoiseSettings::kLatency;

    EnhancedNoiseReducer();

    void process(const ParameterBlock& params, const float* const* in, float* const* out,
                 int32_t count) override;
    int32_t latency() const override { return kLatency; }

    // After a warm-up on other audio: forgets the signal, keeps the noise estimate, so
    // the next call starts as a fresh stage would, but knowing the noise. Allocates.
    void restart();

    RepairReport report() const override { return channels_.report(); }
    const EnhancedNoiseChannel& channel(int32_t c) const { return channels_.channel(c); }

private:
    EnhancedChannelSet<EnhancedNoiseChannel> channels_;
};
