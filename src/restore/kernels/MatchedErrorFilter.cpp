#include "MatchedErrorFilter.h"

#include "NspTaps.h"

#include <algorithm>

namespace {

// out[n] += Σ taps[k − 1] · from[n − k], k = 1 .. p.
NSP_WIDE_TARGET void addTapsWide(const double* taps, int32_t p, const double* from, double* out,
                                 int32_t count) {
    nspAddTaps<NspWideLanes, 4, -1>(taps, p, from, out, count);
}

void addTaps(const double* taps, int32_t p, const double* from, double* out, int32_t count) {
    if (nspWideLanes()) {
        addTapsWide(taps, p, from, out, count);
    } else {
        nspAddTaps<NspLanes, 8, -1>(taps, p, from, out, count);
    }
}

} // namespace

MatchedErrorFilter::MatchedErrorFilter(int32_t order, int32_t maxBlock)
    : order_(std::max(order, 1)), maxBlock_(std::max(maxBlock, 1)), reversed_(order_, 0.0),
      input_(order_ + maxBlock_, 0.0), error_(order_ + maxBlock_, 0.0), output_(maxBlock_, 0.0) {}

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

    std::copy_n(in, count, err);
    addTaps(a, p, in, err, count);
    // Reversed: the tap of delay k is coefficient p − k (a0 = 1 at delay p).
    const double last = a[p - 1];
    for (int32_t k = 1; k < p; ++k) {
        reversed_[k - 1] = a[p - k - 1];
    }
    reversed_[p - 1] = 1.0;
    for (int32_t n = 0; n < count; ++n) {
        out[n] = last * err[n];
    }
    addTaps(reversed_.data(), p, err, out, count);
    for (int32_t n = 0; n < count; ++n) {
        power[n] = static_cast<float>(out[n] * out[n]);
    }
    // Keep the last p samples of both passes for the next block.
    std::copy(input_.begin() + count, input_.begin() + count + p, input_.begin());
    std::copy(error_.begin() + count, error_.begin() + count + p, error_.begin());
}
