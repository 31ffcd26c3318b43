#include "LsInterpolator.h"

#include <algorithm>
#include <cmath>

LsInterpolator::LsInterpolator(int32_t maxUnknowns, int32_t maxOrder)
    : maxUnknowns_(std::max(maxUnknowns, 1)), maxOrder_(std::max(maxOrder, 1)),
      correlation_(static_cast<size_t>(maxOrder_) + 1, 0.0),
      known_(static_cast<size_t>(maxUnknowns_) + 2 * static_cast<size_t>(maxOrder_), 0.0),
      positions_(static_cast<size_t>(maxUnknowns_), 0),
      first_(static_cast<size_t>(maxUnknowns_), 0),
      factor_(static_cast<size_t>(maxUnknowns_) * static_cast<size_t>(maxOrder_ + 1), 0.0),
      solution_(static_cast<size_t>(maxUnknowns_), 0.0) {}

void LsInterpolator::coefficientCorrelation(const double* a, int32_t order, double* rc) {
    // With b = (1, a1 .. aK): the term of b0 = 1 is b_d itself.
    for (int32_t d = 0; d <= order; ++d) {
        double sum = 0.0 + (d == 0 ? 1.0 : a[d - 1]);
        for (int32_t k = 1; k + d <= order; ++k) {
            sum += a[k - 1] * a[k + d - 1];
        }
        rc[d] = sum;
    }
}

int32_t LsInterpolator::interpolate(const double* a, int32_t order, double* window, int32_t gap) {
    if (order < 1 || order > maxOrder_ || gap < 1 || gap > maxUnknowns_) {
        return kSolveFailed;
    }
    coefficientCorrelation(a, order, correlation_.data());
    // The gap reads as zeros: the known samples alone make the right-hand side.
    double* known = known_.data();
    std::copy_n(window, 2 * order + gap, known);
    std::fill_n(known + order, gap, 0.0);
    for (int32_t i = 0; i < gap; ++i) {
        positions_[static_cast<size_t>(i)] = order + i;
    }
    const int32_t result = solve(correlation_.data(), order, known, positions_.data(), gap, 0.0);
    if (result == kSolved) {
        std::copy_n(solution_.data(), gap, window + order);
    }
    return result;
}

int32_t LsInterpolator::solve(const double* rc, int32_t order, const double* x, const int32_t* u,
                              int32_t m, double regularisation) {
    if (order < 1 || order > maxOrder_ || m < 1 || m > maxUnknowns_) {
        return kSolveFailed;
    }
    const int32_t K = order;
    const int32_t width = K + 1;
    const double diagonal = rc[0] * (1.0 + regularisation);
    int32_t* first = first_.data();
    for (int32_t i = 0, j = 0; i < m; ++i) {
        while (u[i] - u[j] > K) {
            ++j;
        }
        first[i] = j;
    }
    // factor_[i * width + d] is G(i, i − d); the matrix is M(i, j) = rc(u_i − u_j), and
    // unknown i is coupled with first[i] .. i only, so no row needs more than K + 1 values.
    double* G = factor_.data();
    for (int32_t i = 0; i < m; ++i) {
        for (int32_t j = first[i]; j <= i; ++j) {
            double s = j < i ? rc[u[i] - u[j]] : diagonal;
            for (int32_t k = first[i]; k < j; ++k) {
                s -= G[i * width + (i - k)] * G[j * width + (j - k)];
            }
            if (j < i) {
                G[i * width + (i - j)] = s / G[j * width];
            } else if (s > 0.0 && std::isfinite(s)) {
                G[i * width] = std::sqrt(s);
            } else {
                return kSolveFailed;
            }
        }
    }
    // Right-hand side: −Σ rc(|t − u_i|) x_t over the samples t within reach of u_i, in order
    // of t; the unknowns are zeros there, so their terms change nothing.
    double* y = solution_.data();
    for (int32_t i = 0; i < m; ++i) {
        const double* at = x + u[i];
        double s = 0.0;
        for (int32_t k = K; k >= 1; --k) {
            s -= rc[k] * at[-k];
        }
        for (int32_t k = 1; k <= K; ++k) {
            s -= rc[k] * at[k];
        }
        y[i] = s;
    }
    // G y' = rhs, then Gᵀ x = y'.
    for (int32_t i = 0; i < m; ++i) {
        double s = y[i];
        for (int32_t k = first[i]; k < i; ++k) {
            s -= G[i * width + (i - k)] * y[k];
        }
        y[i] = s / G[i * width];
    }
    for (int32_t i = m - 1; i >= 0; --i) {
        double s = y[i];
        for (int32_t k = i + 1; k < m && first[k] <= i; ++k) {
            s -= G[k * width + (k - i)] * y[k];
        }
        y[i] = s / G[i * width];
    }
    for (int32_t i = 0; i < m; ++i) {
        if (!std::isfinite(y[i])) {
            return kSolveFailed;
        }
    }
    return kSolved;
}
