#include "EnhancedRobustScale.h"

#include "EnhancedImpulseSettings.h"

#include <algorithm>
#include <cmath>

namespace EnhancedRobustScale {

float medianMagnitude(const float* x, int32_t count, float* scratch) {
    if (count <= 0) {
        return 0.0f;
    }
    for (int32_t i = 0; i < count; ++i) {
        scratch[i] = std::fabs(x[i]);
    }
    const int32_t half = count / 2;
    std::nth_element(scratch, scratch + half, scratch + count);
    const float upper = scratch[half];
    if (count % 2 == 1) {
        return upper;
    }
    // Even count: the mean of the two middle values; the lower is the largest below.
    const float lower = *std::max_element(scratch, scratch + half);
    return 0.5f * (lower + upper);
}

void localScale(const float* d, int32_t length, int32_t lo, int32_t hi, int32_t quarter,
                float floor, float* sigma, float* scratch) {
    constexpr int32_t kMaxQuarters = 64;
    const auto whole = static_cast<float>(EnhancedImpulseSettings::kMadToSigma);
    // The window's median only bounds the quarters' from below: every fourth sample
    // gives it closely enough at a quarter of the cost.
    constexpr int32_t kStride = 4;
    const int32_t picked = length / kStride;
    for (int32_t i = 0; i < picked; ++i) {
        scratch[length - picked + i] = d[i * kStride];
    }
    const float global = 0.5f * medianMagnitude(scratch + length - picked, picked, scratch);
    const int32_t quarters = std::clamp((hi - lo) / quarter, 1, kMaxQuarters);
    float level[kMaxQuarters];
    for (int32_t q = 0; q < quarters; ++q) {
        level[q] =
            whole * std::max(medianMagnitude(d + lo + q * quarter, quarter, scratch), global);
    }
    const int32_t firstCentre = lo + quarter / 2;
    const int32_t lastCentre = firstCentre + (quarters - 1) * quarter;
    for (int32_t n = 0; n < length; ++n) {
        float value;
        if (n <= firstCentre) {
            value = level[0];
        } else if (n >= lastCentre) {
            value = level[quarters - 1];
        } else {
            const int32_t q = (n - firstCentre) / quarter;
            const float t = static_cast<float>(n - firstCentre - q * quarter) / quarter;
            value = level[q] + t * (level[q + 1] - level[q]);
        }
        sigma[n] = std::max(value, floor);
    }
}

} // namespace EnhancedRobustScale
