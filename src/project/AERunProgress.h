#pragma once

#include "ProjectHost.h"

#include <atomic>
#include <cstdint>
#include <optional>

// The progress of one run, a block at a time. A run on its own drives the application's
// progress display; a run in a batch of runs side by side only counts its blocks in the
// batch's counter, and the batch shows one display for all of them. Every tenth block
// asks the window to refresh. Threads: made and advanced on its run's thread only; the
// batch counter is atomic and read by the batch's thread.
class AERunProgress {
public:
    AERunProgress(int64_t steps, std::atomic<int64_t>* batchSteps);

    void advance();
    // The user's cancel, looked at once per block.
    static bool cancelled() { return ProjectHost::cancelRequested(); }

private:
    std::optional<ProjectHost::Progress> display_;
    std::atomic<int64_t>* batchSteps_;
    int64_t blocks_ = 0;
};
