#include "TpdfDither.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kFullScale = 32768.0f;
}

float TpdfDither::uniform() {
    // xorshift32: fast and good enough for noise that only has to be flat and independent.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<float>(state_ >> 8) * (1.0f / 16777216.0f);
}

void TpdfDither::quantize(const float* input, int16_t* output, int64_t count) {
    for (int64_t i = 0; i < count; ++i) {
        float value = input[i] * kFullScale;
        if (on_) {
            value += uniform() - uniform();
        }
        // NaN from a broken decoder becomes silence.
        const float rounded = std::isnan(value) ? 0.0f : std::nearbyint(value);
        output[i] = static_cast<int16_t>(std::clamp(rounded, -32768.0f, 32767.0f));
    }
}
