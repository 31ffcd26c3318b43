#include "EnhancedNoiseChannel.h"

#include "NoiseChangeCount.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int32_t kSize = EnhancedNoiseSettings::kFftSize;
constexpr int32_t kHop = EnhancedNoiseSettings::kHop;
constexpr int32_t kBins = EnhancedNoiseSettings::kBins;

} // namespace

EnhancedNoiseChannel::EnhancedNoiseChannel()
    : fft_(kSize), window_(kSize), input_(kSize), overlap_(kSize), power_(kBins), noise_(kBins),
      gains_(kBins) {
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
    gain_.reset();
}

void EnhancedNoiseChannel::processHop(const float* in, float* out, float floor) {
    std::copy(input_.begin() + kHop, input_.end(), input_.begin());
    std::copy_n(in, kHop, input_.end() - kHop);

    float* time = fft_.time();
    for (int32_t n = 0; n < kSize; ++n) {
        time[n] = input_[static_cast<size_t>(n)] * window_[static_cast<size_t>(n)];
    }
    fft_.forward();
    std::complex<float>* bins = fft_.spectrum();
    for (int32_t k = 0; k < kBins; ++k) {
        power_[static_cast<size_t>(k)] = std::norm(bins[k]);
    }
    tracker_.update(power_.data(), noise_.data());
    gain_.compute(power_.data(), noise_.data(), floor, gains_.data());
    for (int32_t k = 0; k < kBins; ++k) {
        bins[k] *= gains_[static_cast<size_t>(k)];
    }
    fft_.inverse();
    // The unscaled inverse gives N times the frame; the windows overlap to 2.
    const float scale = 1.0f / (2.0f * kSize);
    for (int32_t n = 0; n < kSize; ++n) {
        overlap_[static_cast<size_t>(n)] += time[n] * window_[static_cast<size_t>(n)] * scale;
    }
    // The oldest hop has now had all four frames: it is done.
    std::copy_n(overlap_.begin(), kHop, out);
    countNoiseChanges(input_.data(), out, kHop, report_);
    std::copy(overlap_.begin() + kHop, overlap_.end(), overlap_.begin());
    std::fill(overlap_.end() - kHop, overlap_.end(), 0.0f);
}
