#include "EnhancedNoiseChannel.h"

#include "EnhancedNoiseLanes.h"
#include "NoiseChangeCount.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int32_t kSize = EnhancedNoiseSettings::kFftSize;
constexpr int32_t kHop = EnhancedNoiseSettings::kHop;
constexpr int32_t kBins = EnhancedNoiseSettings::kBins;
constexpr int32_t kHops = kSize / kHop;
constexpr int32_t kPadded = EnhancedNoiseTracker::kPaddedBins;

// to[n] = a[n] * b[n] for n < count.
[[gnu::always_inline]] inline void multiply(const float* a, const float* b, int32_t count,
                                            float* to) {
    for (int32_t n = 0; n < count; ++n) {
        to[n] = a[n] * b[n];
    }
}

// to[n] += a[n] * b[n] * scale for n < count.
[[gnu::always_inline]] inline void addScaled(const float* a, const float* b, float scale,
                                             int32_t count, float* to) {
    for (int32_t n = 0; n < count; ++n) {
        to[n] += a[n] * b[n] * scale;
    }
}

} // namespace

EnhancedNoiseChannel::EnhancedNoiseChannel()
    : fft_(kSize), window_(kSize), input_(kSize), overlap_(kSize), power_(kPadded),
      gains_(kPadded) {
    for (int32_t n = 0; n < kSize; ++n) {
        // Periodic Hann, square-rooted: analysis times synthesis is Hann, which overlaps at
        // hop N/4 to exactly 2.
        window_[static_cast<size_t>(n)] =
            static_cast<float>(std::sqrt(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / kSize)));
    }
}

void EnhancedNoiseChannel::restart() {
    std::fill(input_.begin(), input_.end(), 0.0f);
    std::fill(overlap_.begin(), overlap_.end(), 0.0f);
    hop_ = 0;
    gain_.reset();
}

void EnhancedNoiseChannel::processHop(const float* in, float* out, float floor) {
    // Both buffers are rings of whole hops: the frame starts at the oldest input hop, and
    // the output hop due next starts the overlap.
    std::copy_n(in, kHop, input_.begin() + hop_ * kHop);
    hop_ = (hop_ + 1) % kHops;
    const int32_t start = hop_ * kHop;
    float* time = fft_.time();
    const float* w = window_.data();
    const float* input = input_.data();
    float* power = power_.data();
    noise_lanes::inWidestLanes([=]() __attribute__((always_inline)) {
        multiply(input + start, w, kSize - start, time);
        multiply(input, w + kSize - start, start, time + kSize - start);
    });
    fft_.forward();
    std::complex<float>* bins = fft_.spectrum();
    noise_lanes::inWidestLanes([=]() __attribute__((always_inline)) {
        for (int32_t k = 0; k < kBins; ++k) {
            power[k] = std::norm(bins[k]);
        }
    });
    tracker_.update(bins, power);
    const float* gains = gains_.data();
    gain_.compute(power, tracker_.inverseNoise(), floor, gains_.data());
    noise_lanes::inWidestLanes([=]() __attribute__((always_inline)) {
        for (int32_t k = 0; k < kBins; ++k) {
            bins[k] *= gains[k];
        }
    });
    fft_.inverse();
    // The unscaled inverse gives N times the frame; the windows overlap to 2.
    const float scale = 1.0f / (2.0f * kSize);
    float* overlap = overlap_.data();
    noise_lanes::inWidestLanes([=]() __attribute__((always_inline)) {
        addScaled(time, w, scale, kSize - start, overlap + start);
        addScaled(time + kSize - start, w + kSize - start, scale, start, overlap);
    });
    // The oldest hop has now had all four frames: it is done.
    float* done = overlap_.data() + start;
    std::copy_n(done, kHop, out);
    countNoiseChanges(input_.data() + start, out, kHop, report_);
    std::fill_n(done, kHop, 0.0f);
}
