#include "ClickDetector.h"

#include "ResidualLevels.h"

#include <algorithm>

namespace ClickDetector {

namespace {

using S = ClickSettings;

// Writes `count` points of the straight line from `from` with `slope` per sample.
void line(float from, float slope, int32_t count, float* out) {
    for (int32_t i = 0; i < count; ++i) {
        out[i] = from + static_cast<float>(i) * slope;
    }
}

} // namespace

float floorFor(float threshold) {
    const float clamped = std::clamp(threshold, S::kThreshold.minimum, S::kThreshold.maximum);
    return S::kCurveFactor * ResidualLevels::levelPower(static_cast<int32_t>(clamped));
}

void thresholdCurve(const std::array<float, kQuarters>& levels, float previousLast, float nextFirst,
                    float threshold, float* curve) {
    constexpr int32_t kHalfRamp = S::kRamp / 2;
    constexpr int32_t kPlateauLength = S::kQuarter - S::kRamp;
    constexpr float kPerSample = 1.0f / S::kRamp;
    // The ramp into the block continues the line from the previous block's last quarter.
    const float first = levels[0];
    line(0.5f * (previousLast + first), (first - previousLast) * kPerSample, kHalfRamp, curve);
    for (int32_t q = 0; q < kQuarters; ++q) {
        float* quarter = curve + q * S::kQuarter;
        std::fill_n(quarter + S::kPlateau, kPlateauLength, levels[q]);
        const float next = q + 1 < kQuarters ? levels[q + 1] : nextFirst;
        const int32_t rampLength = q + 1 < kQuarters ? S::kRamp : kHalfRamp;
        line(levels[q], (next - levels[q]) * kPerSample, rampLength,
             quarter + S::kPlateau + kPlateauLength);
    }
    const float floor = floorFor(threshold);
    for (int32_t i = 0; i < S::kBlock; ++i) {
        curve[i] = std::max(curve[i] * S::kCurveFactor, floor);
    }
}

int32_t findRegions(const float* power, const float* curve, int32_t count,
                    std::array<ClickRegion, kMaxRegions>& regions) {
    int32_t found = 0;
    int32_t run = 0;
    int32_t lastUnder = -1;
    // The run's residuals speak of the samples kResidualLag earlier. The region begins
    // kMargin before the first of them and ends with the last, so even a one-sample run
    // covers the sample it was found for.
    auto close = [&] {
        if (run > 0 && run < S::kRunLimit && found < kMaxRegions) {
            regions[found++] = {lastUnder + 1 - S::kResidualLag - S::kMargin, run + S::kMargin};
        }
    };
    for (int32_t i = 0; i < count; ++i) {
        // Under the curve includes equal; anything else (a NaN power too) counts as above.
        if (curve[i] >= power[i]) {
            close();
            run = 0;
            lastUnder = i;
        } else {
            ++run;
        }
    }
    close();
    return found;
}

} // namespace ClickDetector
