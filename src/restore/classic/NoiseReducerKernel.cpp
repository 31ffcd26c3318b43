#include "NoiseReducerKernel.h"

#include <algorithm>

NoiseReducerKernel::NoiseReducerKernel()
    : table_(NoiseReducerGainTable::instance()), envelopes_{NoiseReducerEnvelope(OlsWindow::kHop),
                                                            NoiseReducerEnvelope(OlsWindow::kHop)} {
    reset();
}

void NoiseReducerKernel::reset() {
    frameCounter_ = 0;
    for (int32_t c = 0; c < kMaxChannels; ++c) {
        envelopes_[c].reset();
        levels_[c].reset();
        gains_[c].reset();
    }
}

void NoiseReducerKernel::processFrame(const OlsFrame& frame) {
    const int32_t channels = std::min(frame.channels, kMaxChannels);
    if (channels == 2) {
        NoiseReducerEnvelope::adaptPair(envelopes_[0], envelopes_[1], frame.hop[0], frame.hop[1],
                                        OlsWindow::kHop);
    } else if (channels == 1) {
        envelopes_[0].adapt(frame.hop[0], OlsWindow::kHop);
    }
    for (int32_t c = 0; c < channels; ++c) {
        const float* re = frame.re[c];
        const float* im = frame.im[c];
        for (int32_t k = 0; k < NoiseReducerGains::kBins; ++k) {
            power_[c][k] = re[k] * re[k] + im[k] * im[k];
        }
    }

    // Histograms are counted on odd frames and read on even ones.
    ++frameCounter_;
    const bool evaluating = frameCounter_ % 2 == 0;
    for (int32_t c = 0; c < channels; ++c) {
        if (evaluating) {
            levels_[c].evaluate();
        } else {
            levels_[c].update(power_[c].data());
        }
    }
    if (frameCounter_ > 3) {
        frameCounter_ = 0;
    }

    for (int32_t c = 0; c < channels; ++c) {
        gains_[c].estimate(table_, power_[c].data(), levels_[c].noisePower(), floor_);
    }
    if (channels == 2) {
        // The left channel takes the mean of both; the right keeps its own.
        gains_[0].linkWith(gains_[1]);
    }
    for (int32_t c = 0; c < channels; ++c) {
        const NoiseReducerEnvelope& envelope = envelopes_[c];
        gains_[c].smooth(static_cast<float>(envelope.attack()),
                         static_cast<float>(envelope.release()));
        gains_[c].apply(frame.re[c], frame.im[c]);
    }
}
