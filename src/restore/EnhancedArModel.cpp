#include "EnhancedArModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace EnhancedAr {

void levinson(const double* r, int32_t order, double* a) {
    std::fill_n(a, order + 1, 0.0);
    a[0] = 1.0;
    double error = r[0];
    for (int32_t m = 1; m <= order; ++m) {
        if (error <= r[0] * 1e-12) {
            break;
        }
        double acc = r[m];
        for (int32_t i = 1; i < m; ++i) {
            acc += a[i] * r[m - i];
        }
        const double k = -acc / error;
        for (int32_t i = 1, j = m - 1; i <= j; ++i, --j) {
            const double ai = a[i];
            const double aj = a[j];
            a[i] = ai + k * aj;
            if (i != j) {
                a[j] = aj + k * ai;
            }
        }
        a[m] = k;
        error *= 1.0 - k * k;
    }
}

void coefficientCorrelation(const double* a, int32_t order, double* rc) {
    for (int32_t lag = 0; lag <= order; ++lag) {
        double sum = 0.0;
        for (int32_t i = 0; i + lag <= order; ++i) {
            sum += a[i] * a[i + lag];
        }
        rc[lag] = sum;
    }
}

void predictionError(const float* x, int32_t count, const float* a, int32_t order, float* e) {
    std::copy_n(x, count, e);
    // Tap by tap: each inner loop is a contiguous multiply-add that vectorises.
    for (int32_t k = 1; k <= order && k < count; ++k) {
        const float ak = a[k];
        float* __restrict out = e + k;
        const float* __restrict in = x;
        for (int32_t n = 0; n < count - k; ++n) {
            out[n] += ak * in[n];
        }
    }
}

void matchedResidual(const float* e, int32_t count, const float* a, int32_t order, float* d) {
    std::copy_n(e, count, d);
    for (int32_t k = 1; k <= order && k < count; ++k) {
        const float ak = a[k];
        float* __restrict out = d;
        const float* __restrict in = e + k;
        for (int32_t n = 0; n < count - k; ++n) {
            out[n] += ak * in[n];
        }
    }
}

} // namespace EnhancedAr

namespace {

int32_t fftSizeFor(int32_t length, int32_t maxLag) {
    int32_t size = 2;
    while (size < length + maxLag + 1) {
        size *= 2;
    }
    return size;
}

} // namespace

EnhancedAutocorrelation::EnhancedAutocorrelation(int32_t length, int32_t maxLag)
    : length_(length), fft_(fftSizeFor(length, maxLag)), window_(static_cast<size_t>(length)) {
    for (int32_t n = 0; n < length; ++n) {
        window_[static_cast<size_t>(n)] = static_cast<float>(
            0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / std::max(length - 1, 1)));
    }
}

void EnhancedAutocorrelation::compute(const float* x, double* r, int32_t lags) {
    float* time = fft_.time();
    for (int32_t n = 0; n < length_; ++n) {
        time[n] = x[n] * window_[static_cast<size_t>(n)];
    }
    std::fill(time + length_, time + fft_.size(), 0.0f);
    fft_.forward();
    std::complex<float>* bins = fft_.spectrum();
    for (int32_t k = 0; k < fft_.bins(); ++k) {
        bins[k] = std::norm(bins[k]);
    }
    fft_.inverse();
    const double scale = 1.0 / fft_.size();
    for (int32_t lag = 0; lag <= lags; ++lag) {
        r[lag] = time[lag] * scale;
    }
}
