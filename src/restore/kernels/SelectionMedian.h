#pragma once

#include <cstdint>

// The one selection median of the restoration kernels. Works on the bit patterns of the
// magnitudes (for magnitudes, integer order is number order) and splits about a pivot
// without branching on the data, so noise-like values cost no mispredictions.
namespace SelectionMedian {

// The median of |x[0 .. count)| (the mean of the two middle values for an even count);
// `scratch` holds 2 × count values and is overwritten. 0 for an empty range.
float medianMagnitude(const float* x, int32_t count, uint32_t* scratch);

} // namespace SelectionMedian
