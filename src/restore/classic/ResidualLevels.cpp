#include "ResidualLevels.h"

#include "NspLibrary.h"

#include <algorithm>
#include <cmath>

namespace {

using S = ClickSettings;

constexpr float kDbPerNeper = 4.3429448f; // 10 / ln 10

int32_t indexOfDb(float db) {
    // Multiplied before divided, so that 0 dB gives exactly the top level.
    const float steps = (db - static_cast<float>(S::kLowestDb)) * (S::kLevels - 1) /
                        static_cast<float>(-S::kLowestDb);
    if (!(steps >= 0.0f)) { // NaN included
        return 0;
    }
    return steps >= S::kLevels - 1 ? S::kLevels - 1 : static_cast<int32_t>(steps);
}

} // namespace

int32_t ResidualLevels::levelIndex(float power) {
    power = std::clamp(power, static_cast<float>(S::kLowestPower), 1.0f);
    return indexOfDb(std::log(power) * kDbPerNeper);
}

float ResidualLevels::levelPower(int32_t k) {
    const double db = S::kLowestDb + k * (-S::kLowestDb) / (S::kLevels - 1);
    return static_cast<float>(std::pow(10.0, db / 10.0));
}

float ResidualLevels::quantileLevel(const std::array<int32_t, S::kLevels>& counts) {
    // Smoothed entries s[0 .. kSmoothedLevels), each the truncated mean of 16 counts; the
    // later entries are 0 and add nothing to the total.
    std::array<int32_t, S::kSmoothedLevels> smoothed{};
    int32_t total = 0;
    for (int32_t j = 0; j < S::kSmoothedLevels; ++j) {
        int32_t sum = 0;
        for (int32_t i = 0; i < S::kSmoothing; ++i) {
            sum += counts[j + i];
        }
        smoothed[j] = sum / S::kSmoothing;
        total += smoothed[j];
    }
    const int32_t target = (S::kQuantileSixteenths * total) >> 4;
    int32_t k = S::kSummedLevels + 1;
    int32_t running = 0;
    for (int32_t n = 1; n <= S::kSummedLevels; ++n) {
        running += n - 1 < S::kSmoothedLevels ? smoothed[n - 1] : 0;
        if (running >= target) {
            k = n;
            break;
        }
    }
    return levelPower(k);
}

void ResidualLevels::measure(const float* power, std::array<float, kQuarters>& levels) {
    // 10·log10 of the powers held to the quantiser's range, through the vector functions.
    nspsbThresh2(power, db_.data(), S::kBlock, static_cast<float>(S::kLowestPower), kNspLessThan);
    nspsbThresh1(db_.data(), S::kBlock, 1.0f, kNspGreaterThan);
    nspsbLn1(db_.data(), S::kBlock);
    nspsbMpy1(kDbPerNeper, db_.data(), S::kBlock);
    for (int32_t q = 0; q < kQuarters; ++q) {
        counts_.fill(0);
        const float* db = db_.data() + q * S::kQuarter;
        for (int32_t i = 0; i < S::kQuarter; ++i) {
            ++counts_[indexOfDb(db[i])];
        }
        levels[q] = quantileLevel(counts_);
    }
}
