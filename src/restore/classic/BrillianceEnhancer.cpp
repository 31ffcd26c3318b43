#include "BrillianceEnhancer.h"

#include <algorithm>

BrillianceEnhancer::BrillianceEnhancer(int32_t maxBlock) : maxBlock_(std::max(maxBlock, 1)) {
    for (int32_t k = 0; k < kHalfTaps; ++k) {
        taps_[k] = static_cast<float>(kHalfResponse[k]);
    }
    for (auto& work : work_) {
        work.assign(kHistory + maxBlock_, 0.0f);
    }
}

void BrillianceEnhancer::process(const ParameterBlock& params, const float* const* in,
                                 float* const* out, int32_t count) {
    const int32_t channels = params.channels < 2 ? 1 : 2;
    for (int32_t done = 0; done < count;) {
        const int32_t piece = std::min(count - done, maxBlock_);
        for (int32_t c = 0; c < channels; ++c) {
            processPiece(c, params.value, in[c] + done, out[c] + done, piece);
        }
        done += piece;
    }
}

void BrillianceEnhancer::processPiece(int32_t channel, float amount, const float* in, float* out,
                                      int32_t count) {
    float* work = work_[channel].data();
    std::copy_n(in, count, work + kHistory);
    // Output frame i sits at work[kHistory + i]; its dry sample is kDelay frames back and
    // the filter is centred on that same sample. One pass with the taps in registers lets
    // the compiler run it over several frames at once.
    const float* centre = work + kHistory - kDelay;
    const std::array<float, kHalfTaps> taps = taps_;
    for (int32_t i = 0; i < count; ++i) {
        const float* c = centre + i;
        float filtered = taps[kHalfTaps - 1] * c[0];
        for (int32_t k = 0; k < kHalfTaps - 1; ++k) {
            const int32_t reach = kHalfTaps - 1 - k;
            filtered += taps[k] * (c[-reach] + c[reach]);
        }
        out[i] = c[0] + amount * filtered;
    }
    std::copy_n(work + count, kHistory, work);
}
