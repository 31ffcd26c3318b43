#include "StereoDownmix.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

constexpr float kMinus3dB = 0.70710678f;

void normalize(std::vector<float>& weights) {
    const float sum = std::accumulate(weights.begin(), weights.end(), 0.0f);
    if (sum > 0.0f) {
        for (float& w : weights) {
            w /= sum;
        }
    }
}

} // namespace

StereoDownmix::StereoDownmix(int32_t channels)
    : channels_(std::max(channels, 1)), left_(static_cast<size_t>(channels_), 0.0f),
      right_(static_cast<size_t>(channels_), 0.0f) {
    if (channels_ == 1) {
        left_[0] = right_[0] = 1.0f;
        return;
    }
    if (channels_ == 6) {
        left_ = {1.0f, 0.0f, kMinus3dB, 0.0f, kMinus3dB, 0.0f};
        right_ = {0.0f, 1.0f, kMinus3dB, 0.0f, 0.0f, kMinus3dB};
    } else {
        left_[0] = right_[1] = 1.0f;
        for (size_t c = 2; c < left_.size(); ++c) {
            left_[c] = right_[c] = 0.5f;
        }
    }
    normalize(left_);
    normalize(right_);
}

void StereoDownmix::mix(const float* input, float* output, int64_t frames) const {
    if (channels_ == 2) {
        if (output != input) {
            std::memcpy(output, input, static_cast<size_t>(frames) * 2 * sizeof(float));
        }
        return;
    }
    const auto n = static_cast<size_t>(channels_);
    for (int64_t i = 0; i < frames; ++i) {
        const float* frame = input + static_cast<size_t>(i) * n;
        float left = 0.0f;
        float right = 0.0f;
        for (size_t c = 0; c < n; ++c) {
            left += left_[c] * frame[c];
            right += right_[c] * frame[c];
        }
        output[2 * i] = left;
        output[2 * i + 1] = right;
    }
}
