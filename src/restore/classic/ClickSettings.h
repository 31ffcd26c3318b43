#pragma once

#include "RepairOption.h"

#include <algorithm>
#include <array>
#include <cstdint>

// Every setting of the click remover in one place. Only the threshold (and the monitor
// switch) are the user's; the others fix the algorithm's shape.
struct ClickSettings {
    // Detection threshold in level steps: the chain writes (1 − p) × 100 before each call,
    // so a higher slider value lowers the floor of the threshold curve.
    static constexpr RepairOption kThreshold{"threshold", 40.0f, 0.0f, 100.0f, "level steps"};
    // When on, the output is what the repairs removed instead of the repaired signal.
    static constexpr RepairOption kMonitor{"monitor", 0.0f, 0.0f, 1.0f, "off/on"};
    static constexpr std::array<RepairOption, 2> kOptions{kThreshold, kMonitor};

    static constexpr int32_t kBlock = 1024;       // frames per analysis block
    static constexpr int32_t kRingBlocks = 3;     // previous, middle, newest
    static constexpr int32_t kLatency = 4096;     // the ring plus the block adapter's block
    static constexpr int32_t kModelOrder = 80;    // autoregressive model of each block
    static constexpr double kSilentPower = 1e-8;  // lag-0 autocorrelation below: no model
    static constexpr int32_t kResidualOrder = 30; // order of the detector's error filter
    static constexpr int32_t kResidualLag = kResidualOrder; // its two-sided output lags so

    static constexpr int32_t kQuarter = 256; // residual statistics per quarter block
    static constexpr int32_t kLevels = 128;  // quantiser levels from −120 dB to 0 dB
    static constexpr double kLowestDb = -120.0;
    static constexpr double kLowestPower = 1e-12;
    static constexpr int32_t kSmoothing = 16;         // histogram smoothing width in levels
    static constexpr int32_t kSmoothedLevels = 97;    // smoothed entries 0..96, the rest 0
    static constexpr int32_t kSummedLevels = 111;     // entries the quantile is taken over
    static constexpr int32_t kQuantileSixteenths = 3; // the level below which 3/16 lie

    static constexpr int32_t kPlateau = 32;       // curve: plateau from 32 to 223 of a quarter
    static constexpr int32_t kRamp = 64;          // and 64-sample ramps between quarters
    static constexpr float kCurveFactor = 625.0f; // 25 times in amplitude

    static constexpr int32_t kRunLimit = 200; // runs this long or longer are left alone
    static constexpr int32_t kMargin = 4;     // samples added ahead of a detected run
    static constexpr int32_t kMaxGap = kRunLimit - 1 + kMargin;
    static constexpr int32_t kContextLimit = 30; // known samples on each side of a gap
    static constexpr int32_t kWindow = 300;      // interpolation work buffer
    // The orders of the block model anything reads: the detector's filter and the
    // interpolation, whose K known samples a side need K ≤ order − 2. Higher orders are
    // never solved, which leaves the lower ones as they are.
    static constexpr int32_t kSolvedOrder = std::max(kResidualOrder, kContextLimit + 2);

    static_assert(kBlock == 4 * kQuarter);
    static_assert(kMaxGap + 2 * kContextLimit <= kWindow);
    static_assert(kSolvedOrder <= kModelOrder);
    static_assert(kLatency == (kRingBlocks + 1) * kBlock);
};
