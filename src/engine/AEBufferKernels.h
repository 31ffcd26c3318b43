#pragma once

#include <cstdint>

// The per-sample work the engine does on each buffer besides the restoration chain: the
// peaks for the level meters and the software volumes. Interleaved 16-bit stereo frames.
namespace AEBufferKernels {

constexpr int32_t kUnityGain = 65535;

struct ChannelPeaks {
    int32_t left = 0;
    int32_t right = 0;
};

// The largest absolute sample of each channel (−32768 counts as 32768).
ChannelPeaks peaks(const int16_t* samples, int32_t frames);

// Multiplies the left samples by leftGain / 65535 and the right ones by rightGain / 65535,
// truncated toward zero; gains 0..65535.
void scale(int16_t* samples, int32_t frames, int32_t leftGain, int32_t rightGain);

} // namespace AEBufferKernels
