#pragma once

#include <cstdint>

// Conversions between interleaved 16-bit stereo frames and separate float channels.
//
// To float: s × 2^-15 + d, where d is +1e-7 on the first frame of every call and changes
// sign from frame to frame; the tiny alternating offset keeps filter memories out of the
// denormal range in digital silence.
// To 16 bits: × 32767, truncated toward zero. Values beyond ±1.0 saturate instead of
// wrapping round.
namespace FrameConversion {

constexpr float kOffset = 1.0e-7f;

void toFloat(const int16_t* frames, int32_t count, float* left, float* right);
// Mono: one source channel (left or right) written to both channel buffers.
void toFloatMono(const int16_t* frames, int32_t count, bool useLeft, float* left, float* right);

void toFrames(const float* left, const float* right, int32_t count, int16_t* frames);
// Mono: the one channel written to both sides of each frame.
void toFramesMono(const float* mono, int32_t count, int16_t* frames);

} // namespace FrameConversion
