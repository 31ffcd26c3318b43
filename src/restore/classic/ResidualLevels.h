#pragma once

#include "ClickSettings.h"

#include <array>
#include <cstdint>

// The residual level of each quarter of a block: the residual powers quantised to 128
// levels from −120 dB to 0 dB, counted, smoothed over 16 levels, and the level below
// which 3/16 of the smoothed counts lie. A low quantile follows the background of the
// residual and is hardly moved by the clicks the detector looks for. Scratch is a member;
// measure() allocates nothing.
class ResidualLevels {
public:
    static constexpr int32_t kQuarters = ClickSettings::kBlock / ClickSettings::kQuarter;

    // The quantiser level index of a power.
    static int32_t levelIndex(float power);
    // The power of level index k.
    static float levelPower(int32_t k);
    // The level of the quarter whose level indices have been counted into `counts`.
    static float quantileLevel(const std::array<int32_t, ClickSettings::kLevels>& counts);

    // levels[q] for each quarter of the block's kBlock residual powers.
    void measure(const float* power, std::array<float, kQuarters>& levels);

private:
    std::array<float, ClickSettings::kBlock> db_{};
    std::array<int32_t, ClickSettings::kLevels> counts_{};
};
