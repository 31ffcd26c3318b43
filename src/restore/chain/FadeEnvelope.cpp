#include "FadeEnvelope.h"

#include <algorithm>

FadeEnvelope::FadeEnvelope(std::shared_ptr<const ProcessorSwitches> switches)
    : switches_(std::move(switches)) {}

void FadeEnvelope::setFades(int32_t a, int32_t b, int32_t c, int32_t d) {
    fadeInStart_ = a;
    fadeInEnd_ = b;
    fadeOutStart_ = c;
    fadeOutEnd_ = d;
}

bool FadeEnvelope::active() const {
    return fadeInStart_ != kUnset && fadeInEnd_ != kUnset && fadeOutStart_ != kUnset &&
           fadeOutEnd_ != kUnset;
}

void FadeEnvelope::process(int16_t* frames, int32_t count) {
    if (!active() || count <= 0) {
        return;
    }
    const int64_t a = fadeInStart_, b = fadeInEnd_, c = fadeOutStart_, d = fadeOutEnd_;
    const int64_t inLength = b - a == 0 ? 1 : b - a;
    const int64_t outLength = d - c == 0 ? 1 : d - c;
    const float inSlope = 1.0f / static_cast<float>(inLength);
    const float outSlope = 1.0f / static_cast<float>(outLength);
    const int64_t first = position_;
    const int64_t last = first + count - 1;
    if (first > b && last < c && first >= a && last <= d) {
        // The whole block lies between the fades: nothing to change.
        position_ = static_cast<int32_t>(last + 1);
        return;
    }
    const bool mono = switches_ && switches_->monoButton();

    auto scale = [&](int16_t* frame, float gain) {
        gain = std::clamp(gain, 0.0f, 1.0f);
        frame[0] = static_cast<int16_t>(frame[0] * gain);
        frame[1] = mono ? frame[0] : static_cast<int16_t>(frame[1] * gain);
    };
    for (int32_t i = 0; i < count; ++i) {
        const int64_t pos = first + i;
        int16_t* frame = frames + 2 * i;
        if (a <= pos && pos <= b) {
            scale(frame, static_cast<float>(pos - a) * inSlope);
        } else if (c <= pos && pos <= d) {
            scale(frame, static_cast<float>(d - pos) * outSlope);
        } else if (pos < a || pos > d) {
            frame[0] = 0;
            frame[1] = 0;
        }
    }
    position_ = static_cast<int32_t>(last + 1);
}
