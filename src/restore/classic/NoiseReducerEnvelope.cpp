#include "NoiseReducerEnvelope.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kAttackSpanMs = 5.0; // attack time 1 ms plus up to this much
constexpr double kAttackFloorMs = 1.0;
constexpr double kReleaseSpanMs = 37.5; // release time 5 ms plus up to this much
constexpr double kReleaseFloorMs = 5.0;
constexpr double kAttackGlideMs = 5.0;
constexpr double kReleaseGlideMs = 25.0;

// Moves `time` toward `target`: smoothly when the target is longer, at once otherwise.
double glide(double time, double target, double coefficient) {
    return time < target ? coefficient * time + (1.0 - coefficient) * target : target;
}

} // namespace

NoiseReducerEnvelope::NoiseReducerEnvelope(int32_t hop)
    : hopMs_(hop / kSamplesPerMs), slowCoefficient_(std::exp(-1.0 / (kSamplesPerMs * kSlowMs))),
      fastCoefficient_(std::exp(-1.0 / (kSamplesPerMs * kFastMs))),
      attackGlide_(std::exp(-hop / (kSamplesPerMs * kAttackGlideMs))),
      releaseGlide_(std::exp(-hop / (kSamplesPerMs * kReleaseGlideMs))) {
    reset();
}

void NoiseReducerEnvelope::reset() {
    slow_ = 0.0;
    fast_ = 0.0;
    attackMs_ = kAttackResetMs;
    releaseMs_ = kReleaseResetMs;
    updateCoefficients();
}

void NoiseReducerEnvelope::adapt(const float* x, int32_t count) {
    Follower hop = follower();
    for (int32_t n = 0; n < count; ++n) {
        hop.follow(x[n]);
    }
    conclude(hop);
}

void NoiseReducerEnvelope::adaptPair(NoiseReducerEnvelope& first, NoiseReducerEnvelope& second,
                                     const float* x, const float* y, int32_t count) {
    Follower one = first.follower(), two = second.follower();
    for (int32_t n = 0; n < count; ++n) {
        one.follow(x[n]);
        two.follow(y[n]);
    }
    first.conclude(one);
    second.conclude(two);
}

void NoiseReducerEnvelope::conclude(const Follower& hop) {
    slow_ = hop.slow;
    fast_ = hop.fast;
    const double deviation = hop.deviation;
    const double attackTarget =
        std::max((1.0 - deviation) * kAttackSpanMs + kAttackFloorMs, kAttackFloorMs);
    attackMs_ = glide(attackMs_, attackTarget, attackGlide_);
    const double apart = 1.0 - std::fabs(fast_ - slow_);
    const double releaseTarget =
        std::max(apart * apart * kReleaseSpanMs + kReleaseFloorMs, kReleaseFloorMs);
    releaseMs_ = glide(releaseMs_, releaseTarget, releaseGlide_);
    updateCoefficients();
}

void NoiseReducerEnvelope::updateCoefficients() {
    attack_ = std::exp(-hopMs_ / attackMs_);
    release_ = std::exp(-hopMs_ / releaseMs_);
}
