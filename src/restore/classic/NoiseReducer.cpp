#include "NoiseReducer.h"

#include "NoiseChangeCount.h"

#include <algorithm>
#include <cmath>

NoiseReducer::NoiseReducer(float value) : window_(OlsWindow::kMaxChannels) {
    kernel_.setGainFloor(gainFloor(value));
    for (auto& history : history_) {
        history.assign(kLatency + kPiece, 0.0f);
    }
}

float NoiseReducer::gainFloor(float value) {
    const double attenuationDb = -20.0 * std::clamp(value, 0.0f, 1.0f);
    return static_cast<float>(std::pow(10.0, attenuationDb / 10.0));
}

void NoiseReducer::process(const ParameterBlock& params, const float* const* in, float* const* out,
                           int32_t count) {
    kernel_.setGainFloor(gainFloor(params.value));
    const int32_t channels = params.channels == 1 ? 1 : 2;
    if (channels != window_.channels()) {
        window_.setChannels(channels);
        kernel_.reset();
    }
    for (int32_t done = 0; done < count; done += kPiece) {
        const float* pieceIn[2] = {in[0] + done, channels == 2 ? in[1] + done : nullptr};
        float* pieceOut[2] = {out[0] + done, channels == 2 ? out[1] + done : nullptr};
        processPiece(pieceIn, pieceOut, std::min(count - done, kPiece));
    }
    published_.publish(report_);
}

void NoiseReducer::processPiece(const float* const* in, float* const* out, int32_t count) {
    const int32_t channels = window_.channels();
    // The input is kept before the window runs: `in` and `out` may be one buffer.
    for (int32_t c = 0; c < channels; ++c) {
        std::copy_n(in[c], count, history_[c].data() + kLatency);
    }
    window_.process(in, out, count, kernel_);
    for (int32_t c = 0; c < channels; ++c) {
        const float* before = history_[c].data();
        for (int32_t at = 0; at < count; at += kCountHop) {
            countNoiseChanges(before + at, out[c] + at, std::min(kCountHop, count - at), report_);
        }
        std::copy(history_[c].begin() + count, history_[c].begin() + count + kLatency,
                  history_[c].begin());
    }
}
