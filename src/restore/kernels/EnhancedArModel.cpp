#include "EnhancedArModel.h"

#include "NspTaps.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace {

// out[n] = in[n] + sum_{k = 1..order} a[k] in[n + kStep k] for n in [from, to), with every
// input present.
template <int32_t kStep>
NSP_WIDE_TARGET void addTapsWide(const float* in, const float* a, int32_t order, int32_t from,
                                 int32_t to, float* out) {
    nspAddTaps<NspWideFloatLanes, 4, kStep>(a + 1, order, in + from, out + from, to - from);
}

template <int32_t kStep>
void addTaps(const float* in, const float* a, int32_t order, int32_t from, int32_t to, float* out) {
    std::copy(in + from, in + std::max(from, to), out + from);
    if (nspWideLanes()) {
        addTapsWide<kStep>(in, a, order, from, to, out);
    } else {
        nspAddTaps<NspFloatLanes, 4, kStep>(a + 1, order, in + from, out + from, to - from);
    }
}

} // namespace

namespace EnhancedAr {

void predictionError(const float* x, int32_t from, int32_t to, const float* a, int32_t order,
                     float* e) {
    // Outputs before `order` lack some of their past: they take the taps they have.
    const int32_t full = std::clamp(order, from, std::max(from, to));
    for (int32_t n = from; n < full; ++n) {
        float acc = x[n];
        for (int32_t k = 1; k <= std::min(order, n); ++k) {
            acc += a[k] * x[n - k];
        }
        e[n] = acc;
    }
    addTaps<-1>(x, a, order, full, to, e);
}

void matchedResidual(const float* e, int32_t count, int32_t from, int32_t to, const float* a,
                     int32_t order, float* d) {
    // Outputs within `order` of the end lack some of their future.
    const int32_t full = std::clamp(count - order, from, std::max(from, to));
    addTaps<1>(e, a, order, from, full, d);
    for (int32_t n = full; n < to; ++n) {
        float acc = e[n];
        for (int32_t k = 1; k <= std::min(order, count - 1 - n); ++k) {
            acc += a[k] * e[n + k];
        }
        d[n] = acc;
    }
}

} // namespace EnhancedAr

namespace {

// The smallest size with no prime factor above 5 (FFTW's fastest) that holds the window
// and maxLag zeros after it, so that the lags wanted do not wrap around: 3200 for the
// 3072-frame window with 100 lags, where the next power of two would be 4096.
int32_t fftSizeFor(int32_t length, int32_t maxLag) {
    const auto smooth = [](int32_t n) {
        for (const int32_t factor : {2, 3, 5}) {
            while (n % factor == 0) {
                n /= factor;
            }
        }
        return n == 1;
    };
    int32_t size = std::max(length + maxLag + 1, 2);
    while (!smooth(size)) {
        ++size;
    }
    return size;
}

} // namespace

EnhancedAutocorrelation::EnhancedAutocorrelation(int32_t length, int32_t maxLag)
    : length_(length), fft_(fftSizeFor(length, maxLag)), window_(static_cast<size_t>(length)),
      maxLag_(maxLag), windowed_(static_cast<size_t>(length) + 2 * static_cast<size_t>(maxLag)),
      change_(windowed_.size()) {
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

void EnhancedAutocorrelation::update(const float* before, const float* after,
                                     const uint8_t* changed, int32_t from, int32_t to, double* r,
                                     int32_t lags) {
    // With h the windowed samples before and c the windowed change, the new sums are
    // r[k] + sum_n c[n] (h[n + k] + h[n - k] + c[n + k]). Both are laid out with `lags`
    // zeros on either side of the window, so that the sums over k run without tests.
    lags = std::min(lags, maxLag_);
    from = std::max(from, 0);
    to = std::min(to, length_);
    if (from >= to) {
        return;
    }
    const float* w = window_.data();
    const int32_t first = std::max(from - lags, 0);
    const int32_t last = std::min(to + lags, length_);
    double* h = windowed_.data() + maxLag_; // h[n] for n in [from - lags, to + lags)
    double* c = change_.data() + maxLag_;
    std::fill(h + from - lags, h + to + lags, 0.0);
    std::fill(c + from, c + to + lags, 0.0);
    for (int32_t n = first; n < last; ++n) {
        h[n] = static_cast<double>(w[n]) * (changed[n] ? before[n] : after[n]);
    }
    for (int32_t n = from; n < to; ++n) {
        c[n] = changed[n] ? static_cast<double>(w[n]) *
                                (static_cast<double>(after[n]) - static_cast<double>(before[n]))
                          : 0.0;
    }
    for (int32_t n = from; n < to; ++n) {
        if (!changed[n]) {
            continue;
        }
        const double cn = c[n];
        const double* ahead = h + n;
        const double* behind = h + n;
        const double* next = c + n;
        for (int32_t k = 0; k <= lags; ++k) {
            r[k] += cn * (ahead[k] + behind[-k] + next[k]);
        }
    }
}
