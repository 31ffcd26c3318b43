#pragma once

#include "AlgorithmKernel.h"
#include "BlockAdapter.h"
#include "ClickChannel.h"
#include "ClickSettings.h"
#include "RepairReport.h"

#include <array>
#include <atomic>

// Slot 0 of the chain: finds clicks against a threshold drawn from the residual of an
// autoregressive model and replaces them by least-squares autoregressive interpolation,
// one ClickChannel per channel behind a kBlock-frame block adapter. The user value p
// sets the threshold parameter (1 − p) × 100 before every call: the higher p, the more
// is treated as a click. Output lags input by ClickSettings::kLatency frames whatever the
// call lengths (up to the chain's maximum block, or longer).
class ClickRemover : public AlgorithmKernel, public RepairReporter {
public:
    static constexpr int32_t kChannels = BlockAdapter::kMaxChannels;

    ClickRemover();

    // The threshold parameter the chain derives from a user value.
    static float thresholdFor(float value);

    void process(const ParameterBlock& params, const float* const* in, float* const* out,
                 int32_t count) override;
    int32_t latency() const override { return ClickSettings::kLatency; }

    // Output what the repairs removed instead of the repaired signal; any thread may
    // switch it.
    void setMonitor(bool on) { monitor_.store(on, std::memory_order_relaxed); }

    // Both channels together, as of the end of the last call; any thread may ask.
    RepairReport report() const override { return published_.read(); }
    const ClickChannel& channel(int32_t c) const { return channels_[c]; }

private:
    BlockAdapter adapter_;
    std::array<ClickChannel, kChannels> channels_;
    std::atomic<bool> monitor_{false};
    PublishedReport published_;
};
