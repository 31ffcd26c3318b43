#include "MatchedErrorFilter.h"

#include <algorithm>

MatchedErrorFilter::MatchedErrorFilter(int32_t order, int32_t maxBlock)
    : order_(std::max(order, 1)), maxBlock_(std::max(maxBlock, 1)), input_(order_ + maxBlock_, 0.0),
      error_(order_ + maxBlock_, 0.0), output_(maxBlock_, 0.0) {}

void MatchedErrorFilter::clear() {
    std::fill(input_.begin(), input_.end(), 0.0);
    std::fill(error_.begin(), error_.end(), 0.0);
}

void MatchedErrorFilter::run(const double* a, const float* x, int32_t count, float* power) {
    count = std::clamp(count, 0, maxBlock_);
    const int32_t p = order_;
    double* in = input_.data() + p; // in[-p .. -1] are the remembered samples
    double* err = error_.data() + p;
    double* out = output_.data();
    std::copy_n(x, count, in);

    // Tap by tap over the whole block: each output sums its taps in the same order as a
    // sample-by-sample filter would, and the inner loops run over independent samples.
    std::copy_n(in, count, err);
    for (int32_t k = 1; k <= p; ++k) {
        const double c = a[k - 1];
        const double* from = in - k;
        for (int32_t n = 0; n < count; ++n) {
            err[n] += c * from[n];
        }
    }
    // Reversed: the tap of delay k is coefficient p − k (a0 = 1 at delay p).
    const double last = a[p - 1];
    for (int32_t n = 0; n < count; ++n) {
        out[n] = last * err[n];
    }
    for (int32_t k = 1; k <= p; ++k) {
        const double c = k == p ? 1.0 : a[p - k - 1];
        const double* from = err - k;
        for (int32_t n = 0; n < count; ++n) {
            out[n] += c * from[n];
        }
    }
    for (int32_t n = 0; n < count; ++n) {
        power[n] = static_cast<float>(out[n] * out[n]);
    }
    // Keep the last p samples of both passes for the next block.
    std::copy(input_.begin() + count, input_.begin() + count + p, input_.begin());
    std::copy(error_.begin() + count, error_.begin() + count + p, error_.begin());
}
