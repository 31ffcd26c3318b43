#include "AERunProgress.h"

#include "AppHost.h"

namespace {
constexpr int64_t kBlocksPerRefresh = 10;
} // namespace

AERunProgress::AERunProgress(int64_t steps, std::atomic<int64_t>* batchSteps)
    : batchSteps_(batchSteps) {
    if (!batchSteps_) {
        display_.emplace(steps);
    }
}

void AERunProgress::advance() {
    if (batchSteps_) {
        batchSteps_->fetch_add(1, std::memory_order_relaxed);
    } else {
        display_->advance();
    }
    if (++blocks_ % kBlocksPerRefresh == 0) {
        ProjectHost::post(AppHost::kTagProgress);
    }
}
