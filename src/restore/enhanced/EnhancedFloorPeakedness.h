#pragma once

#include "EnhancedFft.h"
#include "EnhancedNoiseSettings.h"

#include <complex>
#include <cstdint>

// How peaked the noise floor of one frame is, back in time: the bins between 400 Hz and
// 16 kHz that lie under kFloorBand times the floor estimate are taken back to a time frame,
// and its kurtosis (mean fourth power over the squared mean power) is the measure. Gaussian
// noise under the analysis window gives about 4.5; ticks (crackle) give tens, as the
// frame's energy sits in a few samples. Made once; measure() allocates nothing.
class EnhancedFloorPeakedness {
public:
    using Settings = EnhancedNoiseSettings;

    EnhancedFloorPeakedness();

    // The kurtosis of the floor of `spectrum` (kBins), whose periodogram is `power`, under
    // the estimate `floor`; a negative value when too little of the frame lies at the floor
    // to tell.
    float measure(const std::complex<float>* spectrum, const float* power, const float* floor);

private:
    EnhancedFft fft_;
};
