#include "EnhancedNoiseReducer.h"

EnhancedNoiseReducer::EnhancedNoiseReducer(bool lookAhead)
    : channels_(EnhancedNoiseSettings::kHop, lookAhead),
      latency_(kLatency + (lookAhead ? kLookAheadLatency : 0)) {}

void EnhancedNoiseReducer::process(const ParameterBlock& params, const float* const* in,
                                   float* const* out, int32_t count) {
    const EnhancedNoiseSettings::Strength strength = EnhancedNoiseSettings::strength(params.value);
    channels_.process(
        in, out, params.channels, count,
        [&strength](EnhancedNoiseChannel& channel, const float* blockIn, float* blockOut) {
            channel.processHop(blockIn, blockOut, strength);
        });
}
