#pragma once

#include "AlgorithmKernel.h"
#include "EnhancedChannelSet.h"
#include "EnhancedNoiseChannel.h"
#include "RepairReport.h"

// Slot 2 of the chain in enhanced mode: spectral noise reduction with a per-bin noise
// estimate by minimum statistics, the MMSE log-spectral-amplitude gain and a guard that
// leaves material without broadband noise alone. One EnhancedNoiseChannel per channel
// behind a block adapter of one hop; calls of any length; the output lags the input by
// exactly latency() frames: kLatency live, kLatency + kLookAheadLatency in a processing run
// (`lookAhead`), whose frames wait for the noise estimate of later ones. The user value p
// sets the strength before every call.
// Reports a hop as repaired when it was lowered by 1 dB or more, and the samples it
// changed by more than half a 16-bit step.
class EnhancedNoiseReducer : public AlgorithmKernel, public RepairReporter {
public:
    static constexpr int32_t kLatency = EnhancedNoiseSettings::kLatency;
    static constexpr int32_t kLookAheadLatency =
        EnhancedNoiseChannel::kLookAheadHops * EnhancedNoiseSettings::kHop;

    explicit EnhancedNoiseReducer(bool lookAhead = false);

    void process(const ParameterBlock& params, const float* const* in, float* const* out,
                 int32_t count) override;
    int32_t latency() const override { return latency_; }

    RepairReport report() const override { return channels_.report(); }
    const EnhancedNoiseChannel& channel(int32_t c) const { return channels_.channel(c); }

private:
    EnhancedChannelSet<EnhancedNoiseChannel> channels_;
    int32_t latency_;
};
