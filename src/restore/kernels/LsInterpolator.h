#pragma once

#include <cstdint>
#include <vector>

// Least-squares autoregressive interpolation of one gap. With an order-K model and K known
// samples on each side, the gap's samples are chosen to minimise the summed squared
// prediction error of every error term that involves one of them; all those terms lie
// inside the window, so no sample outside it is assumed. The normal equations have the
// autocorrelation of the coefficient vector (1, a1 .. aK) as their banded Toeplitz
// matrix, symmetric and positive definite; they are solved by a banded Cholesky
// factorisation.
//
// Work buffers are made in the constructor; interpolate() allocates nothing.
class LsInterpolator {
public:
    static constexpr int32_t kSolved = 0;
    static constexpr int32_t kSolveFailed = -2;

    // Gaps of up to `maxGap` samples with models of up to `maxOrder`.
    LsInterpolator(int32_t maxGap, int32_t maxOrder);

    // window holds `order` known samples, `gap` unknown ones, `order` known samples; a holds
    // a1 .. a_order. On kSolved the gap is replaced by its interpolation; on
    // kSolveFailed (a gap or order out of range, or a system that is not positive
    // definite) the window is left as it was.
    int32_t interpolate(const double* a, int32_t order, double* window, int32_t gap);

private:
    int32_t maxGap_;
    int32_t maxOrder_;
    std::vector<double> correlation_; // of (1, a1 .. aK), lags 0 .. K
    std::vector<double> factor_;      // banded Cholesky factor, gap × (K + 1)
    std::vector<double> solution_;
};
