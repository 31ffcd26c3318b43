#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

// A long operation on a thread of its own (a file copy, adding imported files), so the
// user interface stays responsive. The work starts at construction and runs one step
// below normal priority; the owner learns of its end through the application message
// `doneTag` (posted once finished() is true, so whoever handles it can collect the result),
// or by waiting. Destroying the job waits for the work to end.
class AEBackgroundJob {
public:
    // `work` returns the job's result code; `doneTag` 0 posts nothing.
    explicit AEBackgroundJob(std::function<int32_t()> work, int32_t doneTag = 0);
    ~AEBackgroundJob();
    AEBackgroundJob(const AEBackgroundJob&) = delete;
    AEBackgroundJob& operator=(const AEBackgroundJob&) = delete;

    // Waits for the work to end and returns its result.
    int32_t wait();
    bool finished() const { return finished_.load(std::memory_order_acquire); }

private:
    std::atomic<bool> finished_{false};
    std::atomic<int32_t> result_{0};
    std::thread thread_;
};
