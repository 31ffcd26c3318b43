#pragma once

#include "ClickSettings.h"

#include <array>
#include <cstdint>

// A stretch of samples to be interpolated, relative to the start of the block it was
// found in (it may begin in the block before).
struct ClickRegion {
    int32_t start = 0;
    int32_t length = 0;
};

// The click remover's detection, free of any buffering: the threshold curve across a
// block and the runs of residual power above it.
namespace ClickDetector {

constexpr int32_t kQuarters = ClickSettings::kBlock / ClickSettings::kQuarter;
// Each region needs a sample above the curve and one under it.
constexpr int32_t kMaxRegions = ClickSettings::kBlock / 2;

// The floor of the curve for a threshold parameter 0..100 (truncated to a level step).
float floorFor(float threshold);

// curve[0 .. kBlock) from the block's quarter levels, the previous block's last quarter
// level and the next block's first: plateaus on the central 192 samples of each quarter,
// 64-sample ramps across the quarter boundaries (half ramps at the block's ends, towards
// the neighbours), times kCurveFactor, raised to the floor.
void thresholdCurve(const std::array<float, kQuarters>& levels, float previousLast, float nextFirst,
                    float threshold, float* curve);

// The click regions of a block: each run of consecutive samples whose power exceeds the
// curve and is shorter than kRunLimit becomes a region kMargin longer than the run,
// starting kResidualLag + kMargin before the run's first sample. Longer runs are left
// alone; every sample under the curve ends a run. Returns the number written to
// `regions`.
int32_t findRegions(const float* power, const float* curve, int32_t count,
                    std::array<ClickRegion, kMaxRegions>& regions);

} // namespace ClickDetector
