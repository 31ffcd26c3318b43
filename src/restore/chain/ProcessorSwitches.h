#pragma once

#include <array>
#include <atomic>
#include <cstdint>

// The switches every processor reads on each call: the six off switches of slots 0..5,
// bypass, mono, and which channel mono takes. A chain is given its switch set when it is
// built: playback reads the application's, while a processing or normalizing run gives
// its processors a set of its own (mono and bypass off), so buttons pressed during a run
// cannot change it half-way. Any thread may read or set them.
class ProcessorSwitches {
public:
    static constexpr int32_t kOffSwitchCount = 6;

    // True when the user switched the processor of `slot` off; slots without a switch
    // (the limiter, the fades) are never off.
    bool processorOff(int32_t slot) const {
        return slot >= 0 && slot < kOffSwitchCount && off_[slot].load(std::memory_order_relaxed);
    }
    void setProcessorOff(int32_t slot, bool off) {
        if (slot >= 0 && slot < kOffSwitchCount) {
            off_[slot].store(off, std::memory_order_relaxed);
        }
    }

    bool bypassButton() const { return bypass_.load(std::memory_order_relaxed); }
    void setBypassButton(bool on) { bypass_.store(on, std::memory_order_relaxed); }

    bool monoButton() const { return mono_.load(std::memory_order_relaxed); }
    void setMonoButton(bool on) { mono_.store(on, std::memory_order_relaxed); }

    // In mono, the left channel is the source when set, the right when clear.
    bool monoUseLeft() const { return useLeft_.load(std::memory_order_relaxed); }
    void setMonoUseLeft(bool left) { useLeft_.store(left, std::memory_order_relaxed); }

private:
    std::array<std::atomic<bool>, kOffSwitchCount> off_{};
    std::atomic<bool> bypass_{false};
    std::atomic<bool> mono_{false};
    std::atomic<bool> useLeft_{true};
};
