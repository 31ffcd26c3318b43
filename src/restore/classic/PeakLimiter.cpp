#include "PeakLimiter.h"

void PeakLimiter::process(const ParameterBlock& params, const float* const* in, float* const* out,
                          int32_t count) {
    adapter_.process(in, out, params.channels, count,
                     [this](const float* const* blockIn, float* const* blockOut, int32_t channels) {
                         limiter_.process(blockIn, blockOut, channels, kBlock);
                     });
}
