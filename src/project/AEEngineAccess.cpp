#include "AEEngineAccess.h"

#include <atomic>

namespace {
std::atomic<AEEngineAccess*> currentEngine{nullptr};
}

AEEngineAccess* AEEngineAccess::current() {
    return currentEngine.load(std::memory_order_acquire);
}

void AEEngineAccess::setCurrent(AEEngineAccess* engine) {
    currentEngine.store(engine, std::memory_order_release);
}
