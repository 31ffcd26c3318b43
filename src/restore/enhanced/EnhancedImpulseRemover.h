#pragma once

#include "AlgorithmKernel.h"
#include "EnhancedChannelSet.h"
#include "EnhancedImpulseChannel.h"
#include "RepairReport.h"

// Slots 0 and 1 of the chain in enhanced mode: the enhanced click remover and crackle
// remover, one engine with the two parameter sets of EnhancedImpulseSettings. One
// EnhancedImpulseChannel per channel behind a block adapter; calls of any length. The
// output lags the input by exactly kLatency frames. The user value p sets the threshold
// before every call; p = 0 only delays.
class EnhancedImpulseRemover : public AlgorithmKernel, public RepairReporter {
public:
    static constexpr int32_t kLatency = EnhancedImpulseSettings::kLatency;

    explicit EnhancedImpulseRemover(const EnhancedImpulseSettings& settings);

    void process(const ParameterBlock& params, const float* const* in, float* const* out,
                 int32_t count) override;
    int32_t latency() const override { return kLatency; }

    RepairReport report() const override { return channels_.report(); }
    const EnhancedImpulseSettings& settings() const { return settings_; }

private:
    const EnhancedImpulseSettings& settings_;
    EnhancedChannelSet<EnhancedImpulseChannel> channels_;
};
