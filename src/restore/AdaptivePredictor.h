#pragma once

#include "CrackleSettings.h"

#include <array>
#include <cstdint>

// A normalised LMS predictor with leakage whose weights are kept at or above a small
// positive floor. It also remembers its weights of the last kWeightDelay updates, so a
// substitution can use the weights as they were before the samples now being judged
// could pull them. Holds no heap memory; adapt() allocates nothing.
class AdaptivePredictor {
public:
    static constexpr int32_t kOrder = CrackleSettings::kOrder;

    // A dot product over N floats, summed in four lanes (a fixed order, so results do
    // not depend on the call pattern) that the compiler can run side by side.
    template <int32_t N> static float dot(const float* a, const float* b) {
        float lane[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        for (int32_t i = 0; i + 4 <= N; i += 4) {
            for (int32_t j = 0; j < 4; ++j) {
                lane[j] += a[i + j] * b[i + j];
            }
        }
        for (int32_t i = N - N % 4; i < N; ++i) {
            lane[i % 4] += a[i] * b[i];
        }
        return (lane[0] + lane[1]) + (lane[2] + lane[3]);
    }

    // Predicts `target` from h[0 .. kOrder) (newest first), updates the weights and
    // returns the prediction error.
    float adapt(const float* h, float target);

    // The weights after the latest update, and those of kWeightDelay updates before.
    const float* weights() const { return ring_[current_].data(); }
    const float* delayedWeights() const { return ring_[(current_ + 1) % kSlots].data(); }

private:
    static constexpr int32_t kSlots = CrackleSettings::kWeightDelay + 1;

    std::array<std::array<float, kOrder>, kSlots> ring_{};
    int32_t current_ = 0;
};
