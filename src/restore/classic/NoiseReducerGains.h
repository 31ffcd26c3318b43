#pragma once

#include "NoiseReducerGainTable.h"

#include <array>
#include <cstdint>

// The spectral gains of one channel, one per group of four bins (bins 0 .. 511; the
// Nyquist bin is left alone). Each frame: the a-priori SNR is estimated decision-directed
// from the previous frame's estimate, the gain looked up and held at or above the floor,
// then smoothed over time with the attack and release coefficients of the channel.
class NoiseReducerGains {
public:
    static constexpr int32_t kGroupBins = 4;
    static constexpr int32_t kBins = 512;
    static constexpr int32_t kGroups = kBins / kGroupBins;
    static constexpr float kMinRatio = 0.01f;
    static constexpr float kMaxRatio = 100.0f;
    static constexpr float kResetRatio = 100.0f; // a-priori SNR and estimate at reset
    static constexpr float kPreviousWeight = 0.99f;

    // What one group's estimate gave.
    struct Group {
        float gammaMinusOne = 0.0f; // a-posteriori SNR minus one, clamped
        float xi = 0.0f;            // a-priori SNR, clamped
        float gain = 0.0f;          // held at or above the floor
        float estimate = 0.0f;      // the estimate carried to the next frame
    };
    // One group: `power` its mean bin power, `noise` the noise power (0: none known),
    // `previous` the last frame's estimate, `floor` the lowest gain.
    static Group groupGain(const NoiseReducerGainTable& table, float power, float noise,
                           float previous, float floor);

    NoiseReducerGains() { reset(); }

    void reset();
    // Raw gains of all groups from the bin powers (bins 0 .. 511) and the noise power of
    // each group.
    void estimate(const NoiseReducerGainTable& table, const float* power, const float* noise,
                  float floor);
    // Stereo link: these raw gains become the mean of theirs and `other`'s.
    void linkWith(const NoiseReducerGains& other);
    // Smooths toward the raw gains: rising with `attack`, falling with `release`.
    void smooth(float attack, float release);
    // Multiplies bins 0 .. 511 of the spectrum by their group's smoothed gain.
    void apply(float* re, float* im);

    float xi(int32_t group) const { return xi_[group]; }
    float estimate(int32_t group) const { return estimate_[group]; }
    float gain(int32_t group) const { return gain_[group]; }
    float smoothed(int32_t group) const { return smoothed_[group]; }

private:
    std::array<float, kGroups> xi_{};
    std::array<float, kGroups> estimate_{};
    std::array<float, kGroups> gain_{};
    std::array<float, kGroups> smoothed_{};
    std::array<float, kBins> binGains_{};
};
