#pragma once

#include "RepairOption.h"

#include <array>
#include <cstdint>

// Every setting of the crackle remover in one place. Only the threshold (and the monitor
// switch) are the user's; the others fix the algorithm's shape.
struct CrackleSettings {
    // Detection threshold as a multiple of the envelope: the chain writes (1 − p) × 10
    // before each call.
    static constexpr RepairOption kThreshold{"threshold", 10.0f, 0.0f, 10.0f, "× envelope"};
    // When on, the output is the removed part instead of the repaired signal.
    static constexpr RepairOption kMonitor{"monitor", 0.0f, 0.0f, 1.0f, "off/on"};
    static constexpr std::array<RepairOption, 2> kOptions{kThreshold, kMonitor};

    static constexpr int32_t kOrder = 18;       // predictor taps
    static constexpr int32_t kDelay = 9;        // the prediction target is x(t − 9)
    static constexpr int32_t kLag = 2 * kDelay; // the repaired sample is x(t − 18)
    static constexpr int32_t kWeightDelay = 9;  // substitution uses weights 9 updates old
    static constexpr float kLeakage = 0.999f;
    static constexpr float kStep = 0.2f;
    static constexpr float kPowerFloor = 0.0001f; // below it the step is normalised by 1
    static constexpr float kWeightFloor = 1e-11f;

    static constexpr float kEnvelopeStart = 0.5f;
    static constexpr float kEnvelopeCoefficient = 0.998f;
    static constexpr float kEnvelopeFloor = 1e-9f;

    static constexpr float kFadeStep = 0.125f; // eight samples per fade
    static constexpr int32_t kHold = 4;        // samples held after the last detection
};
