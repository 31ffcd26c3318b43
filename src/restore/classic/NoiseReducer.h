#pragma once

#include "AlgorithmKernel.h"
#include "NoiseReducerKernel.h"
#include "OlsWindow.h"
#include "RepairReport.h"

#include <array>
#include <vector>

// Slot 2 of the processor chain: spectral noise reduction that estimates the noise by
// itself. The user value p sets only how far the gain may fall: 10^(-2p), so p = 0 leaves
// every bin at least as loud as it was and p = 1 allows 40 dB less. Switching between
// one and two channels starts the estimates afresh. Output lags input by 769 frames.
// Reports the samples it changed and the hops it lowered by 1 dB or more (see
// countNoiseChanges), comparing its output with its input as it was kLatency frames
// earlier.
class NoiseReducer : public AlgorithmKernel, public RepairReporter {
public:
    static constexpr int32_t kLatency = OlsWindow::kLatency;

    explicit NoiseReducer(float value = 0.0f);

    // The lowest gain for user value p (held to 0 .. 1): 10^(-20 p / 10).
    static float gainFloor(float value);

    void process(const ParameterBlock& params, const float* const* in, float* const* out,
                 int32_t count) override;
    int32_t latency() const override { return kLatency; }

    RepairReport report() const override { return published_.read(); }

    int32_t channels() const { return window_.channels(); }
    const NoiseReducerKernel& kernel() const { return kernel_; }

private:
    // Pieces this long at most, so the input history fits its buffers.
    static constexpr int32_t kPiece = 4096;
    static constexpr int32_t kCountHop = OlsWindow::kHop;

    void processPiece(const float* const* in, float* const* out, int32_t count);

    OlsWindow window_;
    NoiseReducerKernel kernel_;
    // Per channel: the last kLatency inputs, then the inputs of the current piece.
    std::array<std::vector<float>, OlsWindow::kMaxChannels> history_;
    RepairReport report_;
    PublishedReport published_;
};
