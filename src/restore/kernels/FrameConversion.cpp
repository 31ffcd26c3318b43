#include "FrameConversion.h"

namespace FrameConversion {

namespace {

constexpr float kToFloat = 1.0f / 32768.0f;

inline float offsetOf(int32_t frame) {
    return (frame & 1) ? -kOffset : kOffset;
}

// In double the product is exact, so truncation sees the true value.
inline int16_t toSample(float value) {
    double x = static_cast<double>(value) * 32767.0;
    x = x > -32768.0 ? x : -32768.0;
    x = x < 32767.0 ? x : 32767.0;
    return static_cast<int16_t>(static_cast<int32_t>(x));
}

} // namespace

void toFloat(const int16_t* frames, int32_t count, float* left, float* right) {
    for (int32_t i = 0; i < count; ++i) {
        const float d = offsetOf(i);
        left[i] = frames[2 * i] * kToFloat + d;
        right[i] = frames[2 * i + 1] * kToFloat + d;
    }
}

void toFloatMono(const int16_t* frames, int32_t count, bool useLeft, float* left, float* right) {
    const int16_t* source = frames + (useLeft ? 0 : 1);
    for (int32_t i = 0; i < count; ++i) {
        const float v = source[2 * i] * kToFloat + offsetOf(i);
        left[i] = v;
        right[i] = v;
    }
}

void toFrames(const float* left, const float* right, int32_t count, int16_t* frames) {
    for (int32_t i = 0; i < count; ++i) {
        frames[2 * i] = toSample(left[i]);
        frames[2 * i + 1] = toSample(right[i]);
    }
}

void toFramesMono(const float* mono, int32_t count, int16_t* frames) {
    for (int32_t i = 0; i < count; ++i) {
        const int16_t s = toSample(mono[i]);
        frames[2 * i] = s;
        frames[2 * i + 1] = s;
    }
}

} // namespace FrameConversion
