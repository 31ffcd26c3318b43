#include "EnhancedStages.h"

#include "AlgorithmLibrary.h"
#include "EnhancedImpulseRemover.h"
#include "EnhancedNoiseReducer.h"

namespace EnhancedStages {

std::unique_ptr<AlgorithmKernel> makeKernel(int32_t slot, bool wholeTitle) {
    if (!AlgorithmLibrary::isInitialised()) {
        return nullptr;
    }
    switch (slot) {
    case 0:
        return std::make_unique<EnhancedImpulseRemover>(kEnhancedClickSettings);
    case 1:
        return std::make_unique<EnhancedImpulseRemover>(kEnhancedCrackleSettings);
    case 2:
        return std::make_unique<EnhancedNoiseReducer>(wholeTitle);
    default:
        return nullptr;
    }
}

std::unique_ptr<FloatProcessor> makeProcessor(int32_t slot, float value, bool forceOn,
                                              const ChainContext& context, RestorationMode mode,
                                              bool wholeTitle) {
    if (mode == RestorationMode::kEnhanced && isRepairSlot(slot)) {
        return FloatProcessor::create(slot, value, forceOn, context, makeKernel(slot, wholeTitle));
    }
    return FloatProcessor::create(slot, value, forceOn, context);
}

} // namespace EnhancedStages
