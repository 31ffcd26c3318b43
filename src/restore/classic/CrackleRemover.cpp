#include "CrackleRemover.h"

#include <algorithm>

float CrackleRemover::thresholdFor(float value) {
    return (1.0f - value) * 10.0f;
}

void CrackleRemover::process(const ParameterBlock& params, const float* const* in,
                             float* const* out, int32_t count) {
    const float threshold =
        std::clamp(thresholdFor(params.value), CrackleSettings::kThreshold.minimum,
                   CrackleSettings::kThreshold.maximum);
    const int32_t channels = params.channels < 2 ? 1 : kChannels;
    const bool monitor = monitor_.load(std::memory_order_relaxed);
    if (channels == kChannels) {
        CrackleChannel::processPair(channels_[0], channels_[1], in, out, count, threshold, monitor);
    } else {
        channels_[0].process(in[0], out[0], count, threshold, monitor);
    }
    published_.publish(sumOfReports(channels_));
}
