#include "ArModel.h"

#include "NspLibrary.h"

#include <algorithm>
#include <cmath>

bool ArModel::fit(const double* x, int32_t count, double silence, int32_t maxOrder) {
    maxOrder = std::clamp(maxOrder, 1, kMaxOrder);
    nspdAutoCorr(x, count, r_.data(), maxOrder + 1, kNspAutoCorrNormal);
    return solve(r_.data(), silence, maxOrder);
}

bool ArModel::solve(const double* r, double silence, int32_t maxOrder) {
    maxOrder = std::clamp(maxOrder, 1, kMaxOrder);
    if (r != r_.data()) {
        std::copy_n(r, maxOrder + 1, r_.begin());
    }
    if (!(r_[0] >= silence)) {
        order_ = 0;
        return false;
    }
    error_[0] = r_[0];
    const double* previous = nullptr;
    for (int32_t m = 1; m <= maxOrder; ++m) {
        double* a = table_.data() + offsetOf(m);
        double acc = r_[m];
        for (int32_t k = 1; k < m; ++k) {
            acc += previous[k - 1] * r_[m - k];
        }
        const double e = error_[m - 1];
        const double reflection = e > 0.0 ? -acc / e : 0.0;
        if (e > 0.0 && std::abs(reflection) < 1.0) {
            for (int32_t k = 1; k < m; ++k) {
                a[k - 1] = previous[k - 1] + reflection * previous[m - k - 1];
            }
            a[m - 1] = reflection;
            error_[m] = e * (1.0 - reflection * reflection);
        } else {
            // The signal is predicted exactly (or rounding broke the recursion): the
            // higher orders keep the lower solution with zero tail.
            for (int32_t k = 1; k < m; ++k) {
                a[k - 1] = previous[k - 1];
            }
            a[m - 1] = 0.0;
            error_[m] = e;
        }
        previous = a;
    }
    order_ = maxOrder;
    return true;
}

void ArModel::errorFilter(int32_t m, double* b) const {
    b[0] = 1.0;
    std::copy_n(coefficients(m), m, b + 1);
}
