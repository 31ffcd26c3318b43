#include "EnhancedNoiseTracker.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int32_t kBins = EnhancedNoiseSettings::kBins;
constexpr int32_t kFrames = EnhancedNoiseSettings::kMeanFrames;
constexpr float kInfinity = std::numeric_limits<float>::infinity();

} // namespace

EnhancedNoiseTracker::EnhancedNoiseTracker()
    : history_(static_cast<size_t>(kBins) * kFrames), sum_(kBins), sumSquares_(kBins),
      minimum_(kBins, kInfinity), fluctuation_(kBins), estimate_(kBins), smoothed_(kBins),
      scratch_(2 * Settings::kMedianHalfWidth + 1) {}

void EnhancedNoiseTracker::update(const float* power, float* noise) {
    ++frames_;
    addFrame(power);
    // The minimum is taken over full windows only: a mean of a few frames lies far
    // below the noise and would hold the estimate down for a minute.
    if (filled_ == kFrames) {
        trackMinimum();
    }
    for (int32_t k = 0; k < kBins; ++k) {
        const float m = minimum_[static_cast<size_t>(k)];
        estimate_[static_cast<size_t>(k)] = m < kInfinity ? Settings::kBias * m : 0.0f;
    }
    // The estimate moves slowly (a minimum over half a second): its median across
    // frequency, the costliest step, is brought up to date every few frames.
    if (frames_ % Settings::kSmoothEvery == 1) {
        smoothAcrossFrequency(smoothed_.data());
    }
    std::copy(smoothed_.begin(), smoothed_.end(), noise);
    updatePresence();
    // Nothing is taken away until the guard is fairly sure: even a tenth of the quietest
    // music, taken for noise, would be heard.
    float scale =
        std::clamp((presence_ - Settings::kTrustFrom) / (1.0f - Settings::kTrustFrom), 0.0f, 1.0f);
    scale *= scale;
    for (int32_t k = 0; k < kBins; ++k) {
        noise[k] = std::max(noise[k] * scale, 1e-20f);
    }
}

void EnhancedNoiseTracker::addFrame(const float* power) {
    float* slot = history_.data() + static_cast<size_t>(next_) * kBins;
    const bool full = filled_ == kFrames;
    for (int32_t k = 0; k < kBins; ++k) {
        const double add = power[k];
        const double drop = full ? slot[k] : 0.0;
        sum_[static_cast<size_t>(k)] += add - drop;
        sumSquares_[static_cast<size_t>(k)] += add * add - drop * drop;
        slot[k] = power[k];
    }
    filled_ = std::min(filled_ + 1, kFrames);
    next_ = (next_ + 1) % kFrames;
    if (next_ == 0) {
        // Sums kept by adding and dropping lose the quiet bins after loud passages:
        // start them afresh once per window.
        std::fill(sum_.begin(), sum_.end(), 0.0);
        std::fill(sumSquares_.begin(), sumSquares_.end(), 0.0);
        for (int32_t f = 0; f < filled_; ++f) {
            const float* frame = history_.data() + static_cast<size_t>(f) * kBins;
            for (int32_t k = 0; k < kBins; ++k) {
                sum_[static_cast<size_t>(k)] += frame[k];
                sumSquares_[static_cast<size_t>(k)] += static_cast<double>(frame[k]) * frame[k];
            }
        }
    }
}

void EnhancedNoiseTracker::trackMinimum() {
    double total = 0.0;
    for (int32_t k = 0; k < kBins; ++k) {
        total += sum_[static_cast<size_t>(k)];
    }
    const bool silent = total / (static_cast<double>(kBins) * kFrames) < Settings::kSilentPower;
    for (int32_t k = 0; k < kBins; ++k) {
        float& m = minimum_[static_cast<size_t>(k)];
        const float raised = m * Settings::kRisePerFrame;
        const double mean = std::max(sum_[static_cast<size_t>(k)], 0.0) / kFrames;
        if (!silent && mean < raised) {
            m = static_cast<float>(mean);
            // How the powers of this window spread: about 1 for noise (exponential
            // powers), near 0 for steady tones, far above 1 for music that comes and goes.
            const double meanSquare = std::max(sumSquares_[static_cast<size_t>(k)], 0.0) / kFrames;
            fluctuation_[static_cast<size_t>(k)] =
                mean > 0.0 ? static_cast<float>(meanSquare / (mean * mean) - 1.0) : 0.0f;
        } else {
            m = raised;
        }
    }
}

void EnhancedNoiseTracker::smoothAcrossFrequency(float* noise) {
    const int32_t half = Settings::kMedianHalfWidth;
    const int32_t width = 2 * half + 1;
    const auto at = [this](int32_t k) {
        return estimate_[static_cast<size_t>(std::clamp(k, 0, kBins - 1))];
    };
    std::copy_n(estimate_.begin(), Settings::kMedianFromBin, noise);
    // A sorted window slides along the bins: one value leaves and one comes in per bin.
    float* window = scratch_.data();
    for (int32_t j = 0; j < width; ++j) {
        window[j] = at(Settings::kMedianFromBin - half + j);
    }
    std::sort(window, window + width);
    for (int32_t k = Settings::kMedianFromBin; k < kBins; ++k) {
        noise[k] = window[half];
        float* out = std::lower_bound(window, window + width, at(k - half));
        std::copy(out + 1, window + width, out);
        const float incoming = at(k + half + 1);
        float* in = std::upper_bound(window, window + width - 1, incoming);
        std::copy_backward(in, window + width - 1, window + width);
        *in = incoming;
    }
}

void EnhancedNoiseTracker::updatePresence() {
    int32_t noiseLike = 0;
    int32_t audible = 0;
    const int32_t from = Settings::kMedianFromBin;
    const int32_t to = Settings::kGuardToBin;
    for (int32_t k = from; k < to; ++k) {
        const float f = fluctuation_[static_cast<size_t>(k)];
        const bool level = estimate_[static_cast<size_t>(k)] > Settings::kAudibleFloor;
        audible += level ? 1 : 0;
        noiseLike += level && f >= Settings::kNoiseLikeLow && f <= Settings::kNoiseLikeHigh ? 1 : 0;
    }
    const auto bins = static_cast<float>(to - from);
    const float share = static_cast<float>(noiseLike) / bins;
    float target =
        (share - Settings::kPresentFrom) / (Settings::kPresentAt - Settings::kPresentFrom);
    target = std::clamp(target, 0.0f, 1.0f);
    // Noise at the quantisation floor or below is left alone in any case.
    if (static_cast<float>(audible) < Settings::kPresentFrom * bins) {
        target = 0.0f;
    }
    presence_ += (target - presence_) * Settings::kPresenceRate;
}
