#pragma once

#include <cstdint>

// Robust level measures of the enhanced impulse remover: medians of magnitudes, which
// clicks (a few huge values) barely move.
namespace EnhancedRobustScale {

// The median of |x[0 .. count)|; `scratch` holds count floats and is overwritten.
float medianMagnitude(const float* x, int32_t count, float* scratch);

// The detection scale of window d[0 .. length) for its part [lo, hi) (whole quarters):
// 1.4826 × the median |d| of each quarter, not below half that of the whole window (taken
// from every fourth sample),
// linear between quarter centres, held flat beyond the first and last centre and never
// below `floor`. Writes sigma[0 .. length); scratch holds length floats.
void localScale(const float* d, int32_t length, int32_t lo, int32_t hi, int32_t quarter,
                float floor, float* sigma, float* scratch);

} // namespace EnhancedRobustScale
