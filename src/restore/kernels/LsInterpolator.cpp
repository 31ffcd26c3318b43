#include "LsInterpolator.h"

#include <algorithm>
#include <cmath>

LsInterpolator::LsInterpolator(int32_t maxGap, int32_t maxOrder)
    : maxGap_(std::max(maxGap, 1)), maxOrder_(std::max(maxOrder, 1)),
      correlation_(maxOrder_ + 1, 0.0),
      factor_(static_cast<size_t>(maxGap_) * (maxOrder_ + 1), 0.0), solution_(maxGap_, 0.0) {}

int32_t LsInterpolator::interpolate(const double* a, int32_t order, double* window, int32_t gap) {
    if (order < 1 || order > maxOrder_ || gap < 1 || gap > maxGap_) {
        return kSolveFailed;
    }
    const int32_t K = order;
    // R(d) = Σ b_k b_{k+d} with b = (1, a1 .. aK).
    auto coefficient = [a](int32_t k) { return k == 0 ? 1.0 : a[k - 1]; };
    for (int32_t d = 0; d <= K; ++d) {
        double sum = 0.0;
        for (int32_t k = 0; k + d <= K; ++k) {
            sum += coefficient(k) * coefficient(k + d);
        }
        correlation_[d] = sum;
    }
    const double* R = correlation_.data();
    const int32_t width = K + 1;
    // factor_[i * width + d] is G(i, i − d); the matrix is M(i, j) = R(|i − j|).
    double* G = factor_.data();
    for (int32_t i = 0; i < gap; ++i) {
        const int32_t first = std::max(0, i - K);
        for (int32_t j = first; j <= i; ++j) {
            double s = R[i - j];
            for (int32_t k = std::max(first, j - K); k < j; ++k) {
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
    // Right-hand side: −Σ R(|u − m|) x_m over the known samples m within reach of u.
    const double* known = window;
    double* y = solution_.data();
    for (int32_t i = 0; i < gap; ++i) {
        const int32_t u = K + i;
        double s = 0.0;
        for (int32_t m = u - K; m < K; ++m) {
            s -= R[u - m] * known[m];
        }
        for (int32_t m = K + gap; m <= u + K; ++m) {
            s -= R[m - u] * known[m];
        }
        y[i] = s;
    }
    // G y' = rhs, then Gᵀ x = y'.
    for (int32_t i = 0; i < gap; ++i) {
        double s = y[i];
        for (int32_t k = std::max(0, i - K); k < i; ++k) {
            s -= G[i * width + (i - k)] * y[k];
        }
        y[i] = s / G[i * width];
    }
    for (int32_t i = gap - 1; i >= 0; --i) {
        double s = y[i];
        for (int32_t k = i + 1; k <= std::min(gap - 1, i + K); ++k) {
            s -= G[k * width + (k - i)] * y[k];
        }
        y[i] = s / G[i * width];
    }
    for (int32_t i = 0; i < gap; ++i) {
        if (!std::isfinite(y[i])) {
            return kSolveFailed;
        }
    }
    std::copy_n(y, gap, window + K);
    return kSolved;
}
