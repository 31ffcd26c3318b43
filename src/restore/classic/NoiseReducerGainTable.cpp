#include "NoiseReducerGainTable.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kBesselBreak = 3.75;
constexpr double kGammaStep =
    (NoiseReducerGainTable::kMaxRatio - NoiseReducerGainTable::kMinRatio) /
    NoiseReducerGainTable::kSteps;
constexpr double kInverseGammaStep = 1.0 / kGammaStep;

constexpr std::array<double, NoiseReducerGainTable::kRanges> kRangeLows = {0.01, 0.1, 1.0, 10.0};

double xiStep(int32_t range) {
    return 9.0 * kRangeLows[range] / NoiseReducerGainTable::kSteps;
}

// Grid index (truncated, kept inside the table) and the fraction beyond it.
int32_t gridIndex(double position, double& fraction) {
    const auto index =
        std::clamp(static_cast<int32_t>(position), 0, NoiseReducerGainTable::kPoints - 2);
    fraction = std::clamp(position - index, 0.0, 1.0);
    return index;
}

} // namespace

const NoiseReducerGainTable& NoiseReducerGainTable::instance() {
    static const NoiseReducerGainTable table;
    return table;
}

NoiseReducerGainTable::NoiseReducerGainTable() {
    for (int32_t range = 0; range < kRanges; ++range) {
        inverseXiSteps_[range] = 1.0 / xiStep(range);
    }
    for (int32_t range = 0; range < kRanges; ++range) {
        for (int32_t i = 0; i < kPoints; ++i) {
            for (int32_t j = 0; j < kPoints; ++j) {
                values_[(range * kPoints + i) * kPoints + j] =
                    static_cast<float>(mmseGain(gammaPoint(i), xiPoint(range, j)));
            }
        }
    }
}

double NoiseReducerGainTable::gammaPoint(int32_t i) {
    return kMinRatio + i * kGammaStep;
}

double NoiseReducerGainTable::xiPoint(int32_t range, int32_t j) {
    return kRangeLows[range] + j * xiStep(range);
}

float NoiseReducerGainTable::lookup(double gammaMinusOne, double xi) const {
    const int32_t range = xi < 0.1 ? 0 : xi < 1.0 ? 1 : xi < 10.0 ? 2 : 3;
    double fi = 0.0, fj = 0.0;
    const int32_t i = gridIndex((gammaMinusOne - kMinRatio) * kInverseGammaStep, fi);
    const int32_t j = gridIndex((xi - kRangeLows[range]) * inverseXiSteps_[range], fj);
    const double g =
        (1.0 - fi) * (1.0 - fj) * entry(range, i, j) + fi * (1.0 - fj) * entry(range, i + 1, j) +
        (1.0 - fi) * fj * entry(range, i, j + 1) + fi * fj * entry(range, i + 1, j + 1);
    return static_cast<float>(g);
}

double NoiseReducerGainTable::mmseGain(double gammaMinusOne, double xi) {
    const double gamma = gammaMinusOne + 1.0;
    const double v = xi / (1.0 + xi) * gamma;
    const double half = v / 2.0;
    return std::sqrt(std::numbers::pi / 4.0 * xi / ((1.0 + xi) * gamma)) * std::exp(-half) *
           ((1.0 + v) * besselI0(half) + v * besselI1(half));
}

double NoiseReducerGainTable::besselI0(double x) {
    if (x < kBesselBreak) {
        const double t = (x / kBesselBreak) * (x / kBesselBreak);
        return 1.0 +
               t * (3.5156229 +
                    t * (3.0899424 +
                         t * (1.2067492 + t * (0.2659732 + t * (0.0360768 + t * 0.0045813)))));
    }
    const double t = kBesselBreak / x;
    const double p =
        0.39894228 +
        t * (0.01328592 +
             t * (0.00225319 +
                  t * (-0.00157565 +
                       t * (0.00916281 +
                            t * (-0.02057706 +
                                 t * (0.02635537 + t * (-0.01647633 + t * 0.00392377)))))));
    return p * std::exp(x) / std::sqrt(x);
}

double NoiseReducerGainTable::besselI1(double x) {
    if (x < kBesselBreak) {
        const double t = (x / kBesselBreak) * (x / kBesselBreak);
        return x * (0.5 + t * (0.87890594 +
                               t * (0.51498869 +
                                    t * (0.15084934 +
                                         t * (0.02658733 + t * (0.00301532 + t * 0.00032411))))));
    }
    const double t = kBesselBreak / x;
    const double p =
        0.39894228 +
        t * (-0.03988024 +
             t * (-0.00362018 +
                  t * (0.00163801 +
                       t * (-0.01031555 +
                            t * (0.02282967 +
                                 t * (-0.02895312 + t * (0.01787654 + t * -0.00420059)))))));
    return p * std::exp(x) / std::sqrt(x);
}
