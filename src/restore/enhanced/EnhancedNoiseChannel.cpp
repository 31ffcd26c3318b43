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
constexpr float kHalfStep = 0.5f / 32768.0f;

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

EnhancedNoiseChannel::EnhancedNoiseChannel(bool lookAhead)
    : fft_(kSize), lookAhead_(lookAhead ? std::make_unique<EnhancedNoiseLookAhead>() : nullptr),
      window_(kSize), overlap_(kSize), power_(kPadded), gains_(kPadded),
      inputHops_(kHops + (lookAhead ? kLookAheadHops : 0)) {
    // The input is kept until its hop comes out, for the report.
    input_.assign(static_cast<size_t>(inputHops_) * kHop, 0.0f);
    for (int32_t n = 0; n < kSize; ++n) {
        // Periodic Hann, square-rooted: analysis times synthesis is Hann, which overlaps at
        // hop N/4 to exactly 2.
        window_[static_cast<size_t>(n)] =
            static_cast<float>(std::sqrt(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / kSize)));
    }
}

bool EnhancedNoiseChannel::silentFrame() const {
    return silentHops_ >= kHops;
}

void EnhancedNoiseChannel::processHop(const float* in, float* out,
                                      const Settings::Strength& strength) {
    const int32_t ring = inputHops_ * kHop;
    const int32_t at = static_cast<int32_t>(hops_ % inputHops_) * kHop;
    std::copy_n(in, kHop, input_.begin() + at);
    // Digital silence, as the chain gives it: every sample within half a 16-bit step of 0.
    const bool silent =
        lookAhead_ && std::all_of(in, in + kHop, [](float v) { return std::fabs(v) < kHalfStep; });
    silentHops_ = silent ? silentHops_ + 1 : 0;
    ++hops_;
    // The frame is the newest kHops hops of the input ring, from its oldest.
    const int32_t from = (at + kHop - kSize + ring) % ring;
    const int32_t first = std::min(kSize, ring - from);
    float* time = fft_.time();
    const float* w = window_.data();
    const float* input = input_.data();
    float* power = power_.data();
    noise_lanes::inWidestLanes([=]() __attribute__((always_inline)) {
        multiply(input + from, w, first, time);
        multiply(input, w + first, kSize - first, time + first);
    });
    fft_.forward();
    std::complex<float>* bins = fft_.spectrum();
    noise_lanes::inWidestLanes([=]() __attribute__((always_inline)) {
        for (int32_t k = 0; k < kBins; ++k) {
            power[k] = std::norm(bins[k]);
        }
    });
    // The flush at the end of a processing run is not a quiet passage: the estimate and the
    // guard keep what they knew of the title.
    if (!lookAhead_ || !silentFrame()) {
        tracker_.update(bins, power);
    }
    const float* gains = gains_.data();
    if (lookAhead_) {
        if (!lookAhead_->push(bins, tracker_.inverseNoise(), strength, bins)) {
            std::fill_n(bins, kBins, std::complex<float>{});
        }
    } else {
        gain_.compute(power, tracker_.inverseNoise(), strength, gains_.data());
        noise_lanes::inWidestLanes([=]() __attribute__((always_inline)) {
            for (int32_t k = 0; k < kBins; ++k) {
                bins[k] *= gains[k];
            }
        });
    }
    fft_.inverse();
    // The unscaled inverse gives N times the frame; the windows overlap to 2. The overlap is
    // a ring of kHops hops: the frame's oldest hop is the one due out now.
    const float scale = 1.0f / (2.0f * kSize);
    const int32_t start = static_cast<int32_t>(hops_ % kHops) * kHop;
    float* overlap = overlap_.data();
    noise_lanes::inWidestLanes([=]() __attribute__((always_inline)) {
        addScaled(time, w, scale, kSize - start, overlap + start);
        addScaled(time + kSize - start, w + kSize - start, scale, start, overlap);
    });
    // The oldest hop has now had all four frames: it is done.
    float* done = overlap_.data() + start;
    std::copy_n(done, kHop, out);
    // Its input went in kHops - 1 hops before this one (and the look-ahead's hops more).
    const int32_t source =
        static_cast<int32_t>((hops_ - inputHops_) % inputHops_ + inputHops_) % inputHops_ * kHop;
    countNoiseChanges(input_.data() + source, out, kHop, report_);
    std::fill_n(done, kHop, 0.0f);
}
