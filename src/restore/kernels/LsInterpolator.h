#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Least-squares autoregressive interpolation: the unknown samples are chosen to minimise
// the summed squared prediction error of every error term that involves one of them, with
// the order-K model b = (1, a1 .. aK) in the prediction-error form. The normal equations
// have the autocorrelation of b as their Toeplitz matrix, banded (unknowns more than K
// apart are not coupled), symmetric and positive definite; they are solved by a banded
// Cholesky factorisation. One solver for both modes: the classic click remover fills one
// gap (interpolate()), the enhanced impulse remover scattered unknowns (solve()).
//
// Work buffers are made in the constructor; neither call allocates.
class LsInterpolator {
public:
    static constexpr int32_t kSolved = 0;
    static constexpr int32_t kSolveFailed = -2;

    // Up to `maxUnknowns` unknowns with models of up to `maxOrder`.
    LsInterpolator(int32_t maxUnknowns, int32_t maxOrder);

    // rc[l] = Σ b_k b_{k+l}, l = 0 .. order: the autocorrelation of (1, a1 .. a_order).
    static void coefficientCorrelation(const double* a, int32_t order, double* rc);

    // window holds `order` known samples, `gap` unknown ones, `order` known samples; a holds
    // a1 .. a_order. On kSolved the gap is replaced by its interpolation; on
    // kSolveFailed (a gap or order out of range, or a system that is not positive
    // definite) the window is left as it was.
    int32_t interpolate(const double* a, int32_t order, double* window, int32_t gap);

    // The m unknowns at the increasing positions u[0 .. m) of x, from rc (see
    // coefficientCorrelation()); x must hold every position within `order` of an unknown,
    // with 0 at the unknowns. The diagonal is rc[0] (1 + regularisation). On kSolved,
    // solution()[i] is unknown i; x is not written.
    int32_t solve(const double* rc, int32_t order, const double* x, const int32_t* u, int32_t m,
                  double regularisation);
    const double* solution() const { return solution_.data(); }
    // The first unknown that unknown i is coupled with (no more than `order` before it), as
    // of the last solve().
    int32_t firstCoupled(int32_t i) const { return first_[static_cast<size_t>(i)]; }

private:
    int32_t maxUnknowns_;
    int32_t maxOrder_;
    std::vector<double> correlation_; // interpolate(): of (1, a1 .. aK), lags 0 .. K
    std::vector<double> known_;       // interpolate(): the window with the gap as zeros
    std::vector<int32_t> positions_;  // interpolate(): the gap's positions
    std::vector<int32_t> first_;      // per unknown: first coupled unknown
    std::vector<double> factor_;      // banded Cholesky factor, unknowns × (K + 1)
    std::vector<double> solution_;
};
