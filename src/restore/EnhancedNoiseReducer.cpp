#include "EnhancedNoiseReducer.h"

EnhancedNoiseReducer::EnhancedNoiseReducer() : channels_(EnhancedNoiseSettings::kHop) {}

void EnhancedNoiseReducer::process(const ParameterBlock& params, const float* const* in,
                                   float* const* out, int32_t count) {
    const float floor = EnhancedNoiseSettings::gainFloor(params.value);
    channels_.process(in, out, params.channels, count,
                      [floor](EnhancedNoiseChannel& channel, const float* blockIn,
                              float* blockOut) { channel.processHop(blockIn, blockOut, floor); });
}

void EnhancedNoiseReducer::restart() {
    channels_.restartAdapter();
    for (int32_t c = 0; c < EnhancedChannelSet<EnhancedNoiseChannel>::kChannels; ++c) {
        channels_.channel(c).restart();
    }
}
