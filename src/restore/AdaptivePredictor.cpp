#include "AdaptivePredictor.h"

float AdaptivePredictor::adapt(const float* h, float target) {
    using S = CrackleSettings;
    const float* w = ring_[current_].data();
    const float error = target - dot<kOrder>(w, h);
    float power = dot<kOrder>(h, h);
    if (power < S::kPowerFloor) {
        power = 1.0f;
    }
    const float gain = S::kStep * error / power;
    const int32_t next = (current_ + 1) % kSlots;
    float* updated = ring_[next].data();
    for (int32_t i = 0; i < kOrder; ++i) {
        const float v = S::kLeakage * w[i] + gain * h[i];
        updated[i] = v < S::kWeightFloor ? S::kWeightFloor : v;
    }
    current_ = next;
    return error;
}
