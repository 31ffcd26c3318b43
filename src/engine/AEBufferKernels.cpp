#include "AEBufferKernels.h"

#include <algorithm>
#include <cstdlib>

namespace AEBufferKernels {

ChannelPeaks peaks(const int16_t* samples, int32_t frames) {
    int32_t left = 0;
    int32_t right = 0;
    for (int32_t i = 0; i < frames; ++i) {
        left = std::max(left, std::abs(static_cast<int32_t>(samples[2 * i])));
        right = std::max(right, std::abs(static_cast<int32_t>(samples[2 * i + 1])));
    }
    return {left, right};
}

void scale(int16_t* samples, int32_t frames, int32_t leftGain, int32_t rightGain) {
    // 32768 × 65535 still fits in 32 bits, and the quotient in 16.
    for (int32_t i = 0; i < frames; ++i) {
        samples[2 * i] = static_cast<int16_t>(samples[2 * i] * leftGain / kUnityGain);
        samples[2 * i + 1] = static_cast<int16_t>(samples[2 * i + 1] * rightGain / kUnityGain);
    }
}

} // namespace AEBufferKernels
