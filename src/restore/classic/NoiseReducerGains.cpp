#include "NoiseReducerGains.h"

#include "NspLibrary.h"

#include <algorithm>

NoiseReducerGains::Group NoiseReducerGains::groupGain(const NoiseReducerGainTable& table,
                                                      float power, float noise, float previous,
                                                      float floor) {
    Group group;
    const bool known = noise > 0.0f;
    group.gammaMinusOne =
        std::clamp(known ? power / noise - 1.0f : kMaxRatio, kMinRatio, kMaxRatio);
    group.xi =
        std::clamp(kPreviousWeight * previous + (1.0f - kPreviousWeight) * group.gammaMinusOne,
                   kMinRatio, kMaxRatio);
    group.gain = std::max(table.lookup(group.gammaMinusOne, group.xi), floor);
    group.estimate = known ? group.gain * group.gain * power / noise : kResetRatio;
    return group;
}

void NoiseReducerGains::reset() {
    xi_.fill(kResetRatio);
    estimate_.fill(kResetRatio);
    gain_.fill(0.0f);
    smoothed_.fill(0.0f);
}

void NoiseReducerGains::estimate(const NoiseReducerGainTable& table, const float* power,
                                 const float* noise, float floor) {
    for (int32_t g = 0; g < kGroups; ++g) {
        const float* p = power + g * kGroupBins;
        const float mean = (p[0] + p[1] + p[2] + p[3]) / kGroupBins;
        const Group group = groupGain(table, mean, noise[g], estimate_[g], floor);
        xi_[g] = group.xi;
        gain_[g] = group.gain;
        estimate_[g] = group.estimate;
    }
}

void NoiseReducerGains::linkWith(const NoiseReducerGains& other) {
    for (int32_t g = 0; g < kGroups; ++g) {
        gain_[g] = 0.5f * (gain_[g] + other.gain_[g]);
    }
}

void NoiseReducerGains::smooth(float attack, float release) {
    for (int32_t g = 0; g < kGroups; ++g) {
        const float c = smoothed_[g] < gain_[g] ? attack : release;
        smoothed_[g] = c * smoothed_[g] + (1.0f - c) * gain_[g];
    }
}

void NoiseReducerGains::apply(float* re, float* im) {
    for (int32_t k = 0; k < kBins; ++k) {
        binGains_[k] = smoothed_[k / kGroupBins];
    }
    nspsbMpy2(binGains_.data(), re, kBins);
    nspsbMpy2(binGains_.data(), im, kBins);
}
