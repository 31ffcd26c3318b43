#include "NoiseReducerLevels.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// exp of this above the estimated level: the noise power is taken slightly high.
constexpr double kPowerMargin = 0.1;

} // namespace

void NoiseReducerLevels::reset() {
    for (auto& band : bands_) {
        band.reset();
    }
    noisePower_.fill(0.0f);
    noiseLevelDb_ = 0.0;
}

void NoiseReducerLevels::update(const float* power) {
    for (int32_t b = 0; b < kSubBands; ++b) {
        NoiseReducerHistogram& band = bands_[b];
        const int32_t first = std::max(b * kSubBandBins, kFirstBin);
        const int32_t end = std::min((b + 1) * kSubBandBins, kEndBin);
        for (int32_t k = first; k < end; ++k) {
            if (power[k] > kMinPower && power[k] < kMaxPower) {
                band.add(NoiseReducerHistogram::levelIndex(power[k]));
            }
        }
        band.finishUpdate();
    }
}

double NoiseReducerLevels::meanLevel() const {
    double sum = 0.0;
    for (const auto& band : bands_) {
        sum += band.level();
    }
    return sum / kSubBands;
}

void NoiseReducerLevels::evaluate() {
    for (auto& band : bands_) {
        band.evaluate();
    }
    // A sub-band above the mean holds more than noise: hold it at the mean, twice.
    double mean = meanLevel();
    for (int32_t pass = 0; pass < 2; ++pass) {
        for (auto& band : bands_) {
            band.limitTo(mean);
        }
        if (pass == 0) {
            mean = meanLevel();
        }
    }
    noiseLevelDb_ = 10.0 * mean;

    // Each sub-band's level at its first bin, sloping toward the next sub-band's level
    // (the slope in log10 units per bin, taken as it is in the exponent).
    constexpr int32_t kBandGroups = kSubBandBins / kGroupBins;
    for (int32_t b = 0; b < kSubBands; ++b) {
        const double start = bands_[b].level();
        const double slope =
            b + 1 < kSubBands ? (bands_[b + 1].level() - start) / kSubBandBins : 0.0;
        for (int32_t j = 0; j < kBandGroups; ++j) {
            const double exponent =
                std::numbers::ln10 * start + j * kGroupBins * slope + kPowerMargin;
            noisePower_[b * kBandGroups + j] = static_cast<float>(std::exp(exponent));
        }
    }
}
