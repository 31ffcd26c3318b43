#pragma once

// The noise estimate of the enhanced noise reducer smoothed across frequency: the median
// of each bin and kMedianHalfWidth bins either side, above kMedianFromBin, so that long
// partials are not taken for noise. A selection network over lanes of neighbouring bins;
// it gives exactly the middle value of the sorted window.
namespace EnhancedFrequencyMedian {

// smoothed[k] = the median of estimate[k .. k + 2 kMedianHalfWidth] (the bins
// kMedianHalfWidth either side of bin k, read from an array that starts that many bins
// early), for k from kMedianFromBin to kBins; the estimate is read up to kBins + 23.
void apply(const float* estimate, float* smoothed);

} // namespace EnhancedFrequencyMedian
