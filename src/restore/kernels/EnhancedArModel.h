#pragma once

#include "EnhancedFft.h"

#include <cstdint>
#include <vector>

// The autoregressive kernels of the enhanced impulse remover (its models are ArModel's).
// Coefficients are a[0] = 1, a[1..order], so that the prediction error is
// e[n] = sum_k a[k] x[n - k].
namespace EnhancedAr {

// e[n] = sum_k a[k] x[n - k] for n in [from, to), samples before x[0] taken as 0. The
// taps are added in order of k, so every form and every range gives the same bits.
void predictionError(const float* x, int32_t from, int32_t to, const float* a, int32_t order,
                     float* e);
// d[n] = sum_k a[k] e[n + k] for n in [from, to), samples at or past e[count] taken as 0:
// the prediction error matched to the model, which peaks where one sample is out of place.
// Reads e[from .. min(to + order, count)).
void matchedResidual(const float* e, int32_t count, int32_t from, int32_t to, const float* a,
                     int32_t order, float* d);

} // namespace EnhancedAr

// Autocorrelation of a Hann-windowed analysis window through an FFT, with buffers made
// in the constructor.
class EnhancedAutocorrelation {
public:
    // Windows of `length` samples, lags 0..maxLag.
    EnhancedAutocorrelation(int32_t length, int32_t maxLag);

    // r[0..lags] of x[0 .. length) under the Hann window (plain sums).
    void compute(const float* x, double* r, int32_t lags);

    // Brings r[0..lags] from the window before a repair to the window after it, where
    // after[n] differs from before[n] only where changed[n] is set, all within [from, to).
    // `before` need only be right where changed[n] is set; elsewhere `after` is read.
    // Costs a few products per changed sample and lag instead of two transforms.
    void update(const float* before, const float* after, const uint8_t* changed, int32_t from,
                int32_t to, double* r, int32_t lags);

private:
    int32_t length_;
    EnhancedFft fft_;
    std::vector<float> window_;
    int32_t maxLag_;
    std::vector<double> windowed_; // update(): the windowed samples before, padded by maxLag
    std::vector<double> change_;   // ... and the windowed change, padded the same
};
