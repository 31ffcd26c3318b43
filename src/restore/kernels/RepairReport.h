#pragma once

#include <atomic>
#include <cstdint>

// What a repair stage has done since it was made, for the window and gleam-cli to show:
// how many disturbances it repaired, how many samples it replaced doing so, and how many
// repairs it had to give up (the samples then stay as they were).
struct RepairReport {
    int64_t repairs = 0;
    int64_t samples = 0;
    int64_t failures = 0;

    RepairReport& operator+=(const RepairReport& other) {
        repairs += other.repairs;
        samples += other.samples;
        failures += other.failures;
        return *this;
    }
};

// A stage that can say what it repaired (the click, crackle and noise stages of either
// mode); the processing run asks its stages through this.
class RepairReporter {
public:
    virtual ~RepairReporter() = default;
    // As of the end of the last call; any thread may ask.
    virtual RepairReport report() const = 0;
};

// The reports of several channels added up.
template <class Channels> RepairReport sumOfReports(const Channels& channels) {
    RepairReport total;
    for (const auto& channel : channels) {
        total += channel.report();
    }
    return total;
}

// A report handed from the audio thread, which publishes it after each call, to any
// thread that reads it (the window shows it while playback runs).
class PublishedReport {
public:
    void publish(const RepairReport& report) {
        repairs_.store(report.repairs, std::memory_order_relaxed);
        samples_.store(report.samples, std::memory_order_relaxed);
        failures_.store(report.failures, std::memory_order_relaxed);
    }
    RepairReport read() const {
        return {repairs_.load(std::memory_order_relaxed), samples_.load(std::memory_order_relaxed),
                failures_.load(std::memory_order_relaxed)};
    }

private:
    std::atomic<int64_t> repairs_{0};
    std::atomic<int64_t> samples_{0};
    std::atomic<int64_t> failures_{0};
};
