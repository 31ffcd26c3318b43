#include "EnhancedLsaGain.h"

#include <algorithm>
#include <cmath>

EnhancedLsaGain::EnhancedLsaGain()
    : lastGain_(Settings::kBins, 1.0f), lastSnr_(Settings::kBins, 1.0f) {}

void EnhancedLsaGain::reset() {
    std::fill(lastGain_.begin(), lastGain_.end(), 1.0f);
    std::fill(lastSnr_.begin(), lastSnr_.end(), 1.0f);
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
    if (v <= 1.0f) {
        // exp((poly - ln v) / 2) = exp(poly / 2) / sqrt(v): no logarithm needed.
        const float poly =
            -0.57721566f +
            v * (0.99999193f +
                 v * (-0.24991055f + v * (0.05519968f + v * (-0.00976004f + v * 0.00107857f))));
        return std::exp(0.5f * poly) / std::sqrt(v);
    }
    if (v > 20.0f) {
        return 1.0f; // E1 below 1e-10
    }
    // E1(v) <= 0.22 here: three terms of the series of exp are exact to 1e-5.
    const float h = 0.5f * exponentialIntegral(v);
    return 1.0f + h * (1.0f + h * (0.5f + h * (1.0f / 6.0f)));
}

void EnhancedLsaGain::compute(const float* power, const float* noise, float floor, float* gain) {
    const float weight = Settings::kDecisionWeight;
    for (int32_t k = 0; k < Settings::kBins; ++k) {
        const float snr = std::min(power[k] / noise[k], Settings::kPosterioriCeiling);
        const float previous = lastGain_[static_cast<size_t>(k)];
        const float priori =
            std::max(weight * previous * previous * lastSnr_[static_cast<size_t>(k)] +
                         (1.0f - weight) * std::max(snr - 1.0f, 0.0f),
                     Settings::kPrioriFloor);
        const float wiener = priori / (1.0f + priori);
        const float v = std::max(wiener * snr, 1e-8f);
        const float lsa = halfExpIntegralExp(v);
        const float g = std::min(wiener * lsa, 1.0f);
        lastGain_[static_cast<size_t>(k)] = g;
        lastSnr_[static_cast<size_t>(k)] = snr;
        gain[k] = std::max(g, floor);
    }
}
