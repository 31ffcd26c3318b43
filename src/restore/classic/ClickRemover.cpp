#include "ClickRemover.h"

ClickRemover::ClickRemover() : adapter_(ClickSettings::kBlock) {}

float ClickRemover::thresholdFor(float value) {
    return (1.0f - value) * 100.0f;
}

void ClickRemover::process(const ParameterBlock& params, const float* const* in, float* const* out,
                           int32_t count) {
    const float threshold = thresholdFor(params.value);
    const bool monitor = monitor_.load(std::memory_order_relaxed);
    for (auto& channel : channels_) {
        channel.setThreshold(threshold);
        channel.setMonitor(monitor);
    }
    adapter_.process(in, out, params.channels, count,
                     [this](const float* const* blockIn, float* const* blockOut, int32_t channels) {
                         for (int32_t c = 0; c < channels; ++c) {
                             channels_[c].processBlock(blockIn[c], blockOut[c]);
                         }
                     });
    published_.publish(sumOfReports(channels_));
}
