#pragma once

#include <cstdint>

// Robust level measures of the enhanced impulse remover: medians of magnitudes
// (SelectionMedian), which clicks (a few huge values) barely move.
namespace EnhancedRobustScale {

// Half the median |d| of d[from .. to), taken from every fourth sample: no quarter's
// level in localScale() is below 1.4826 times it. `room` holds (to − from) / 4 + 1 values
// and scratch twice that; both are overwritten.
float globalLevel(const float* d, int32_t from, int32_t to, float* room, uint32_t* scratch);

// The detection scale for d[from .. to), which holds [lo, hi) (whole quarters): 1.4826 ×
// the median |d| of each quarter of [lo, hi), not below 1.4826 × `global` (globalLevel()
// of d[from .. to)), linear between quarter centres, held flat beyond the first and last
// centre and never below `floor`. Writes sigma[from .. to); scratch holds 2 × quarter
// values.
void localScale(const float* d, int32_t from, int32_t to, int32_t lo, int32_t hi, int32_t quarter,
                float floor, float global, float* sigma, uint32_t* scratch);

} // namespace EnhancedRobustScale
