#include "EnhancedLsaGain.h"

#include "EnhancedNoiseLanes.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace noise_lanes;

// exp(E1(v) / 2) in every lane, for v > 0. Up to v = 1 it is q(v) / sqrt(v), q(v) =
// exp((E1(v) + ln v) / 2) being smooth there: a polynomial fit (error below 1.1e-7). Above,
// a rational approximation of v e^v E1(v) (error below 5e-5); E1(v) <= 0.22 there, so three
// terms of the series of exp are exact to 1e-5. Above 20, E1 is below 1e-10.
template <class V> [[gnu::always_inline]] inline void halfExpIntegralExpIn(V& v) {
    V result;
    nspFill(result, 1.0f);
    // Bins well above the noise (most of the music) need nothing more.
    if (!anyOf<V>(v <= 20.0f)) {
        v = result;
        return;
    }
    V inverseRoot = v;
    inverseSqrtInPlace(inverseRoot);
    const auto small = v <= 1.0f;
    const auto between = (v > 1.0f) & (v <= 20.0f);
    if (anyOf<V>(small)) {
        const V q =
            0.7493060034f +
            v * (0.3746527936f +
                 v * (3.356612359e-6f +
                      v * (-0.010427699f + v * (0.002663532011f +
                                                v * (-0.0002540918976f + v * -9.623212693e-6f)))));
        result = small ? q * inverseRoot : result;
    }
    // Nor do bins at or below the noise: the exponential is for the few in between.
    if (anyOf<V>(between)) {
        const V ratio = (v * v + 2.334733f * v + 0.250621f) / (v * v + 3.330657f * v + 1.681534f);
        V e = -v;
        expInPlace(e);
        const V h = 0.5f * ratio * e * (inverseRoot * inverseRoot);
        const V series = 1.0f + h * (1.0f + h * (0.5f + h * (1.0f / 6.0f)));
        result = between ? series : result;
    }
    v = result;
}

// snr = power × inverseNoise × scale, at most the ceiling.
template <class V>
[[gnu::always_inline]] inline void posterioriIn(const float* power, const float* inverseNoise,
                                                float scale, float* snr) {
    V ceiling;
    nspFill(ceiling, EnhancedNoiseSettings::kPosterioriCeiling);
    for (int32_t k = 0; k < EnhancedLsaGain::kPaddedBins; k += kNspLanesOf<V>) {
        V p, n;
        nspLoad(p, power + k);
        nspLoad(n, inverseNoise + k);
        V s = p * n * scale;
        lowerTo(s, ceiling);
        nspStore(snr + k, s);
    }
}

NSP_WIDE_TARGET void posterioriWide(const float* power, const float* inverseNoise, float scale,
                                    float* snr) {
    posterioriIn<NspWideFloatLanes>(power, inverseNoise, scale, snr);
}

struct StepArrays {
    const float* snr;
    const float* other; // may be null
    float* lastClean;
    float* wiener;
    float* argument;
    float* gain;
    float* priori; // may be null
};

// In two passes, so that each loop's chain of dependent steps is short and the processor
// can work on several groups of bins at once: first the a-priori SNR and the argument v of
// the exponential integral, then the gain.
template <class V>
[[gnu::always_inline]] inline void stepIn(const StepArrays& a,
                                          const EnhancedNoiseSettings::Strength& strength) {
    using Settings = EnhancedNoiseSettings;
    constexpr int32_t kWidth = kNspLanesOf<V>;
    constexpr int32_t kBins = EnhancedLsaGain::kPaddedBins;
    const float weight = Settings::kDecisionWeight;
    V prioriFloor, vFloor, one, zero, gainFloor;
    nspFill(prioriFloor, strength.prioriFloor);
    nspFill(vFloor, 1e-8f);
    nspFill(one, 1.0f);
    nspFill(zero, 0.0f);
    nspFill(gainFloor, strength.floor);
    for (int32_t k = 0; k < kBins; k += kWidth) {
        V snr, previous;
        nspLoad(snr, a.snr + k);
        nspLoad(previous, a.lastClean + k);
        V excess = snr - 1.0f;
        raiseTo(excess, zero);
        V priori = weight * previous + (1.0f - weight) * excess;
        raiseTo(priori, prioriFloor);
        if (a.priori) {
            nspStore(a.priori + k, priori);
        }
        if (a.other) {
            V other;
            nspLoad(other, a.other + k);
            priori = 0.5f * (priori + other);
        }
        const V w = priori / (1.0f + priori);
        V v = w * snr;
        raiseTo(v, vFloor);
        nspStore(a.wiener + k, w);
        nspStore(a.argument + k, v);
    }
    for (int32_t k = 0; k < kBins; k += kWidth) {
        V snr, w, v;
        nspLoad(snr, a.snr + k);
        nspLoad(w, a.wiener + k);
        nspLoad(v, a.argument + k);
        halfExpIntegralExpIn(v);
        V g = w * v;
        lowerTo(g, one);
        nspStore(a.lastClean + k, g * g * snr);
        raiseTo(g, gainFloor);
        nspStore(a.gain + k, g);
    }
}

NSP_WIDE_TARGET void stepWide(const StepArrays& a,
                              const EnhancedNoiseSettings::Strength& strength) {
    stepIn<NspWideFloatLanes>(a, strength);
}

} // namespace

EnhancedLsaGain::EnhancedLsaGain()
    : lastClean_(kPaddedBins, 1.0f), wiener_(kPaddedBins), argument_(kPaddedBins),
      snr_(kPaddedBins) {}

void EnhancedLsaGain::reset() {
    std::fill(lastClean_.begin(), lastClean_.end(), 1.0f);
}

float EnhancedLsaGain::exponentialIntegral(float v) {
    if (v <= 1.0f) {
        // Series with the Euler constant folded in (error below 2e-7).
        const float poly =
            -0.57721566f +
            v * (0.99999193f +
                 v * (-0.24991055f + v * (0.05519968f + v * (-0.00976004f + v * 0.00107857f))));
        return poly - std::log(v);
    }
    if (v > 40.0f) {
        return 0.0f;
    }
    // Rational approximation of v e^v E1(v) (error below 5e-5).
    const float ratio = (v * v + 2.334733f * v + 0.250621f) / (v * v + 3.330657f * v + 1.681534f);
    return ratio * std::exp(-v) / v;
}

float EnhancedLsaGain::halfExpIntegralExp(float v) {
    NspFloatLanes lanes;
    nspFill(lanes, v);
    halfExpIntegralExpIn(lanes);
    return lanes[0];
}

void EnhancedLsaGain::posteriori(const float* power, const float* inverseNoise, float scale,
                                 float* snr) {
    if (nspWideLanes()) {
        posterioriWide(power, inverseNoise, scale, snr);
    } else {
        posterioriIn<NspFloatLanes>(power, inverseNoise, scale, snr);
    }
}

void EnhancedLsaGain::step(const float* snr, const float* other, const Settings::Strength& strength,
                           float* gain, float* priori) {
    const StepArrays arrays{snr,  other, lastClean_.data(), wiener_.data(), argument_.data(),
                            gain, priori};
    if (nspWideLanes()) {
        stepWide(arrays, strength);
    } else {
        stepIn<NspFloatLanes>(arrays, strength);
    }
}

void EnhancedLsaGain::compute(const float* power, const float* inverseNoise,
                              const Settings::Strength& strength, float* gain) {
    posteriori(power, inverseNoise, strength.snrScale, snr_.data());
    step(snr_.data(), nullptr, strength, gain, nullptr);
}
