#include "LookAheadLimiter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSampleRate = 44100.0;
constexpr double kPowerFloor = 1e-6;
constexpr double kGainEpsilon = 1e-11;
constexpr int32_t kAttackSteps = LookAheadLimiter::kLookAhead - 2;

// level > threshold  <=>  power > 10^(threshold / 10); and the gain that brings the level
// down to the threshold, 10^(-(level - threshold) / 20), is 10^(threshold / 20) / peak.
const double kThresholdPower = std::pow(10.0, LookAheadLimiter::kThresholdDb / 10.0);
const double kThresholdAmplitude = std::pow(10.0, LookAheadLimiter::kThresholdDb / 20.0);

double releaseCoefficient(int32_t limitedFrames) {
    return std::exp(-1000.0 / (limitedFrames * kSampleRate * 0.2));
}

} // namespace

LookAheadLimiter::LookAheadLimiter(int32_t maxBlock)
    : maxBlock_(std::max(maxBlock, 1)), heldPower_(kPowerFloor),
      releaseCoefficient_(std::exp(-1000.0 / (kSampleRate * 1.0))) {
    for (auto& channel : delayed_) {
        channel.assign(kDelay + maxBlock_, 0.0f);
    }
    gains_.assign(maxBlock_, 1.0);
}

void LookAheadLimiter::process(const float* const* in, float* const* out, int32_t channels,
                               int32_t count) {
    channels = std::clamp(channels, 1, kMaxChannels);
    for (int32_t done = 0; done < count;) {
        const int32_t piece = std::min(count - done, maxBlock_);
        const float* pieceIn[kMaxChannels] = {in[0] + done, channels > 1 ? in[1] + done : nullptr};
        float* pieceOut[kMaxChannels] = {out[0] + done, channels > 1 ? out[1] + done : nullptr};
        processPiece(pieceIn, pieceOut, channels, piece);
        done += piece;
    }
}

void LookAheadLimiter::processPiece(const float* const* in, float* const* out, int32_t channels,
                                    int32_t count) {
    // Peak power of each frame over the channels.
    double* power = gains_.data();
    const float* left = in[0];
    if (channels > 1) {
        const float* right = in[1];
        for (int32_t i = 0; i < count; ++i) {
            const double peak = std::max(std::fabs(left[i]), std::fabs(right[i]));
            power[i] = std::max(peak * peak, kPowerFloor);
        }
    } else {
        for (int32_t i = 0; i < count; ++i) {
            const double peak = std::fabs(left[i]);
            power[i] = std::max(peak * peak, kPowerFloor);
        }
    }
    followPeaks(count);

    // The delayed signal times its frame's gain, clipped.
    const double* gain = gains_.data();
    for (int32_t c = 0; c < channels; ++c) {
        float* delayed = delayed_[c].data();
        std::copy_n(in[c], count, delayed + kDelay);
        float* o = out[c];
        for (int32_t i = 0; i < count; ++i) {
            const double v = delayed[i] * gain[i];
            o[i] = static_cast<float>(std::clamp(v, -1.0, 1.0));
        }
        std::copy_n(delayed + count, kDelay, delayed);
    }
}

void LookAheadLimiter::followPeaks(int32_t count) {
    // The state in locals: the frames' doubles could alias the members, which would make
    // every frame store and reload them.
    double gain = gain_, target = target_, attackStart = attackStart_, held = heldPower_;
    double release = releaseCoefficient_;
    int32_t holdCount = holdCount_, releaseSteps = releaseSteps_, limitedCount = limitedCount_;
    double* frames = gains_.data();
    for (int32_t i = 0; i < count; ++i) {
        const double power = frames[i];

        // Target gain from the largest peak inside the look-ahead window.
        if (power > held) {
            held = power;
            target = power > kThresholdPower ? kThresholdAmplitude / std::sqrt(power) : 1.0;
            holdCount = 0;
        } else if (holdCount >= kLookAhead && (releaseSteps >= kLookAhead || releaseSteps == 0)) {
            held = kPowerFloor;
            holdCount = 0;
        }
        ++holdCount;

        if (gain - target > kGainEpsilon) {
            gain = std::max(gain - (attackStart - target) / kAttackSteps, target);
            releaseSteps = 0;
        } else if (target - gain > kGainEpsilon) {
            // Wait out the look-ahead before releasing; the longer the limiting lasted,
            // the slower the release.
            if (releaseSteps < kLookAhead) {
                ++releaseSteps;
                if (limitedCount >= 1) {
                    release = releaseCoefficient(std::clamp(limitedCount, 50, 250));
                    limitedCount = 0;
                }
            }
            if (releaseSteps >= kLookAhead) {
                gain = release * gain + (1.0 - release) * target;
                attackStart = gain;
            }
        }
        if (target < 1.0) {
            ++limitedCount;
        }
        frames[i] = gain;
    }
    gain_ = gain;
    target_ = target;
    attackStart_ = attackStart;
    heldPower_ = held;
    releaseCoefficient_ = release;
    holdCount_ = holdCount;
    releaseSteps_ = releaseSteps;
    limitedCount_ = limitedCount;
}
