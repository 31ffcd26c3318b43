#include "EnhancedRobustScale.h"

#include "EnhancedImpulseSettings.h"
#include "SelectionMedian.h"

#include <algorithm>

namespace EnhancedRobustScale {

float globalLevel(const float* d, int32_t from, int32_t to, float* room, uint32_t* scratch) {
    // The median of the whole stretch only bounds the quarters from below: every fourth
    // sample gives it closely enough at a quarter of the cost.
    constexpr int32_t kStride = 4;
    const int32_t picked = (to - from + kStride - 1) / kStride;
    for (int32_t i = 0; i < picked; ++i) {
        room[i] = d[from + i * kStride];
    }
    return 0.5f * SelectionMedian::medianMagnitude(room, picked, scratch);
}

void localScale(const float* d, int32_t from, int32_t to, int32_t lo, int32_t hi, int32_t quarter,
                float floor, float global, float* sigma, uint32_t* scratch) {
    constexpr int32_t kMaxQuarters = 64;
    const auto whole = static_cast<float>(EnhancedImpulseSettings::kMadToSigma);
    const int32_t quarters = std::clamp((hi - lo) / quarter, 1, kMaxQuarters);
    float level[kMaxQuarters];
    for (int32_t q = 0; q < quarters; ++q) {
        level[q] = whole * std::max(SelectionMedian::medianMagnitude(d + lo + q * quarter, quarter,
                                                                     scratch),
                                    global);
    }
    const int32_t firstCentre = lo + quarter / 2;
    const int32_t lastCentre = firstCentre + (quarters - 1) * quarter;
    for (int32_t n = from; n < to; ++n) {
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
