#pragma once

#include <cstdint>

// Robust level measures of the enhanced impulse remover: medians of magnitudes, which
// clicks (a few huge values) barely move.
namespace EnhancedRobustScale {

// The median of |x[0 .. count)| (the mean of the two middle values for an even count);
// `scratch` holds 2 × count values and is overwritten.
float medianMagnitude(const float* x, int32_t count, uint32_t* scratch);

// The detection scale for d[from .. to), which holds [lo, hi) (whole quarters): 1.4826 ×
// the median |d| of each quarter of [lo, hi), not below half that of all of d[from .. to)
// (taken from every fourth sample), linear between quarter centres, held flat beyond the
// first and last centre and never below `floor`. Writes sigma[from .. to); scratch holds
// 2 × (to − from) values.
void localScale(const float* d, int32_t from, int32_t to, int32_t lo, int32_t hi, int32_t quarter,
                float floor, float* sigma, uint32_t* scratch);

} // namespace EnhancedRobustScale
