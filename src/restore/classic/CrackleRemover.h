#pragma once

#include "AlgorithmKernel.h"
#include "CrackleChannel.h"
#include "RepairReport.h"

#include <array>
#include <atomic>

// Slot 1 of the chain: suppresses dense, very short impulses sample by sample, one
// CrackleChannel per channel. The user value p sets the detection threshold (1 − p) × 10
// before every call. The output lags the input by CrackleSettings::kLag samples, yet the
// stage reports a latency of 0: a processing run does not compensate those samples.
class CrackleRemover : public AlgorithmKernel, public RepairReporter {
public:
    static constexpr int32_t kChannels = 2;

    // The detection threshold the chain derives from a user value.
    static float thresholdFor(float value);

    void process(const ParameterBlock& params, const float* const* in, float* const* out,
                 int32_t count) override;
    int32_t latency() const override { return 0; }

    // Output the removed part instead of the repaired signal; any thread may switch it.
    void setMonitor(bool on) { monitor_.store(on, std::memory_order_relaxed); }
    bool monitor() const { return monitor_.load(std::memory_order_relaxed); }

    // Both channels together, as of the end of the last call; any thread may ask.
    RepairReport report() const override { return published_.read(); }
    const CrackleChannel& channel(int32_t c) const { return channels_[c]; }

private:
    std::array<CrackleChannel, kChannels> channels_;
    std::atomic<bool> monitor_{false};
    PublishedReport published_;
};
