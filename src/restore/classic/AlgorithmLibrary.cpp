#include "AlgorithmLibrary.h"

#include "BassEnhancer.h"
#include "BrillianceEnhancer.h"
#include "ClickRemover.h"
#include "CrackleRemover.h"
#include "LevelNormalizer.h"
#include "NoiseReducer.h"
#include "NspLibrary.h"
#include "PeakLimiter.h"
#include "StereoWidener.h"

#include <atomic>

namespace {

std::atomic<int32_t> gMaxBlock{0}; // 0 while not initialised

} // namespace

int32_t AlgorithmLibrary::initialise(int32_t maxBlockFrames) {
    if (maxBlockFrames <= 0) {
        return 1;
    }
    if (!nspInitialise()) {
        return 2;
    }
    gMaxBlock.store(maxBlockFrames, std::memory_order_release);
    return 0;
}

void AlgorithmLibrary::shutdown() {
    gMaxBlock.store(0, std::memory_order_release);
    nspShutdown();
}

bool AlgorithmLibrary::isInitialised() {
    return maxBlock() > 0;
}

int32_t AlgorithmLibrary::maxBlock() {
    return gMaxBlock.load(std::memory_order_acquire);
}

std::unique_ptr<AlgorithmKernel> AlgorithmLibrary::create(ProcessorKind kind,
                                                          const ParameterBlock& /*params*/) {
    const int32_t block = maxBlock();
    if (block <= 0) {
        return nullptr;
    }
    switch (kind) {
    case ProcessorKind::BassEnhancer:
        return std::make_unique<BassEnhancer>();
    case ProcessorKind::StereoWidener:
        return std::make_unique<StereoWidener>();
    case ProcessorKind::BrillianceEnhancer:
        return std::make_unique<BrillianceEnhancer>(block);
    case ProcessorKind::PeakLimiter:
        return std::make_unique<PeakLimiter>();
    case ProcessorKind::LevelNormalizer:
        return std::make_unique<LevelNormalizer>();
    case ProcessorKind::ClickRemover:
        return std::make_unique<ClickRemover>();
    case ProcessorKind::CrackleRemover:
        return std::make_unique<CrackleRemover>();
    case ProcessorKind::NoiseReducer:
        return std::make_unique<NoiseReducer>();
    }
    return nullptr;
}
