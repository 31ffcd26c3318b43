#pragma once

#include "RepairOption.h"

#include <algorithm>
#include <array>
#include <cstdint>

// Every setting of the enhanced impulse remover in one place. One engine repairs clicks
// and crackle; the two differ only in these numbers. The user value p (0..1) sets the
// detection threshold k_hi = kHiAtZero + (kHiAtOne - kHiAtZero) p; p = 0 is off.
struct EnhancedImpulseSettings {
    static constexpr int32_t kBlock = 1024;         // frames repaired per analysis step
    static constexpr int32_t kWindow = 3 * kBlock;  // the block with one block each side
    static constexpr int32_t kQuarter = 256;        // robust scale per quarter block
    static constexpr int32_t kLatency = 2 * kBlock; // the look-ahead block and the adapter
    static constexpr int32_t kMaxOrder = 100;       // highest model order of either kind
    static constexpr int32_t kMaxCluster = 384;     // unknowns solved together at most
    static constexpr float kScaleFloor = 3e-5f;     // lowest scale (about −90 dBFS)
    static constexpr double kSilentPower = 1e-12;   // windowed power below: no model
    static constexpr double kWhiteNoiseCorrection = 1e-6;
    static constexpr double kMadToSigma = 1.4826; // median |x| to standard deviation

    int32_t lowOrder;   // first pass: robust to the clicks themselves
    int32_t highOrder;  // second pass, on the repaired window
    float kHiAtZero;    // threshold at p = 0 ...
    float kHiAtOne;     // ... and at p = 1
    float kLoRatio;     // regions grow while above kLoRatio * k_hi ...
    float peakFraction; // ... and above this fraction of their peak
    int32_t group;      // seeds this close belong to one disturbance
    int32_t margin;     // samples added on each side of a grown region
    int32_t maxLength;  // a region this long is music and left alone
    bool fixedSpan;     // crackle: the peak and one sample each side, not grown
    float beta;         // a repair must remove beta times the excitation of music

    float threshold(float p) const {
        p = std::clamp(p, 0.0f, 1.0f);
        return kHiAtZero + (kHiAtOne - kHiAtZero) * p;
    }

    static constexpr std::array<RepairOption, 1> kOptions{
        RepairOption{"sensitivity", 0.5f, 0.0f, 1.0f, "0 off .. 1 most"}};
};

inline constexpr EnhancedImpulseSettings kEnhancedClickSettings{16, 100, 12.0f, 5.0f,  0.5f, 0.1f,
                                                                48, 2,   160,   false, 3.0f};
inline constexpr EnhancedImpulseSettings kEnhancedCrackleSettings{16, 48, 12.0f, 6.0f, 0.6f, 0.1f,
                                                                  2,  1,  12,    true, 6.0f};

static_assert(EnhancedImpulseSettings::kBlock == 4 * EnhancedImpulseSettings::kQuarter);
