#pragma once

#include "NoiseReducerEnvelope.h"
#include "NoiseReducerGainTable.h"
#include "NoiseReducerGains.h"
#include "NoiseReducerLevels.h"
#include "OlsWindow.h"

#include <array>
#include <cstdint>

// The spectral side of the noise reducer, run on each frame of an OlsWindow: estimates
// the noise power of every channel from its level histograms (counted on odd frames,
// read on even ones), turns each group of four bins' SNR into a minimum-mean-square-error
// amplitude gain no lower than the floor, links the stereo gains, smooths them with the
// time constants the envelopes choose, and multiplies the spectra.
//
// All state is made in the constructor; processFrame() allocates nothing.
class NoiseReducerKernel : public OlsFrameProcessor {
public:
    static constexpr int32_t kMaxChannels = OlsWindow::kMaxChannels;

    NoiseReducerKernel();

    // Every estimate back to its starting value.
    void reset();
    // The lowest gain the spectrum may be multiplied by (1: no reduction).
    void setGainFloor(float floor) { floor_ = floor; }
    float gainFloor() const { return floor_; }

    void processFrame(const OlsFrame& frame) override;

    const NoiseReducerLevels& levels(int32_t channel) const { return levels_[channel]; }
    const NoiseReducerGains& gains(int32_t channel) const { return gains_[channel]; }
    const NoiseReducerEnvelope& envelope(int32_t channel) const { return envelopes_[channel]; }
    int32_t frameCounter() const { return frameCounter_; }

private:
    const NoiseReducerGainTable& table_;
    float floor_ = 1.0f;
    int32_t frameCounter_ = 0;
    std::array<NoiseReducerEnvelope, kMaxChannels> envelopes_;
    std::array<NoiseReducerLevels, kMaxChannels> levels_;
    std::array<NoiseReducerGains, kMaxChannels> gains_;
    std::array<std::array<float, NoiseReducerGains::kBins>, kMaxChannels> power_{};
};
