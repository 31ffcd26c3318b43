#pragma once

#include <array>
#include <cstdint>

// The minimum-mean-square-error short-time spectral amplitude gain, tabulated once so no
// Bessel function is evaluated per bin. Four tables of 65 x 65 values, one per decade of
// the a-priori SNR xi (0.01 .. 0.1, 0.1 .. 1, 1 .. 10, 10 .. 100); in each, axis 1 is the
// a-posteriori SNR minus one at 0.01 + i (100 - 0.01) / 63 and axis 2 is xi at
// lo + j (hi - lo) / 63, i, j = 0 .. 64 (the last point lies one step past the range).
// Lookups interpolate bilinearly between the four surrounding points.
class NoiseReducerGainTable {
public:
    static constexpr int32_t kPoints = 65;
    static constexpr int32_t kSteps = 63;
    static constexpr int32_t kRanges = 4;
    static constexpr double kMinRatio = 0.01; // the lowest SNR of either axis
    static constexpr double kMaxRatio = 100.0;

    // The one table of the process, built on first use.
    static const NoiseReducerGainTable& instance();

    NoiseReducerGainTable();

    // The gain for (gamma - 1, xi), both within [0.01, 100].
    float lookup(double gammaMinusOne, double xi) const;
    float entry(int32_t range, int32_t i, int32_t j) const {
        return values_[(range * kPoints + i) * kPoints + j];
    }

    static double gammaPoint(int32_t i);
    static double xiPoint(int32_t range, int32_t j);
    // The gain rule itself, for gamma - 1 and xi.
    static double mmseGain(double gammaMinusOne, double xi);
    // Modified Bessel functions of the first kind, orders 0 and 1, for x >= 0, by the
    // polynomial approximations of Abramowitz and Stegun 9.8.1 to 9.8.4.
    static double besselI0(double x);
    static double besselI1(double x);

private:
    std::array<float, kRanges * kPoints * kPoints> values_{};
    std::array<double, kRanges> inverseXiSteps_{};
};
