#pragma once

#include "AlgorithmKernel.h"
#include "ChainContext.h"
#include "FloatProcessor.h"
#include "RestorationMode.h"

#include <cstdint>
#include <memory>

// Where the two restoration modes part: slots 0..2 (click, crackle, noise) hold the
// classic stages or the enhanced ones; every other slot is the same in both.
namespace EnhancedStages {

constexpr int32_t kFirstRepairSlot = 0;
constexpr int32_t kLastRepairSlot = 2;

inline bool isRepairSlot(int32_t slot) {
    return slot >= kFirstRepairSlot && slot <= kLastRepairSlot;
}

// The enhanced kernel of repair slot 0..2; null for other slots or before the algorithm
// library is started. `wholeTitle`: for a processing run, which may look ahead (the noise
// reducer then waits for the estimate of later frames); otherwise the live form.
std::unique_ptr<AlgorithmKernel> makeKernel(int32_t slot, bool wholeTitle = false);

// The float stage of slot 0..6 for `mode`, as FloatProcessor::create makes it.
std::unique_ptr<FloatProcessor> makeProcessor(int32_t slot, float value, bool forceOn,
                                              const ChainContext& context, RestorationMode mode,
                                              bool wholeTitle = false);

} // namespace EnhancedStages
