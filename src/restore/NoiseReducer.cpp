#include "NoiseReducer.h"

#include <algorithm>
#include <cmath>

NoiseReducer::NoiseReducer(float value) : window_(OlsWindow::kMaxChannels) {
    kernel_.setGainFloor(gainFloor(value));
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
    window_.process(in, out, count, kernel_);
}
