#include "EnhancedImpulseRemover.h"

EnhancedImpulseRemover::EnhancedImpulseRemover(const EnhancedImpulseSettings& settings)
    : settings_(settings), channels_(EnhancedImpulseSettings::kBlock, settings) {}

void EnhancedImpulseRemover::process(const ParameterBlock& params, const float* const* in,
                                     float* const* out, int32_t count) {
    const float kHi = params.value > 0.0f ? settings_.threshold(params.value) : 0.0f;
    channels_.process(in, out, params.channels, count,
                      [kHi](EnhancedImpulseChannel& channel, const float* blockIn,
                            float* blockOut) { channel.processBlock(blockIn, blockOut, kHi); });
}
