#pragma once

#include "AudioProcessor.h"
#include "ProcessorChain.h"
#include "ProcessorSwitches.h"

#include <atomic>
#include <cstdint>
#include <memory>

// Something audio passes through on its way to or from the sound card: a title file being
// played or recorded, or the audio engine itself. It carries the eight processor slots
// of the restoration chain (see ProcessorChain), all empty at first, and runs them over
// each buffer that passes.
//
// The chain, and with it its float work areas, is made on first use, so the many hosts
// that never process (length checks, conversions, recordings) cost nothing. Make it
// (chain()) before the host's buffers run on another thread; from then on the slots may
// be changed from any thread.
class AEProcessorHost {
public:
    // `switches`: the switch set the processors read; a set of its own when none is given.
    explicit AEProcessorHost(std::shared_ptr<const ProcessorSwitches> switches = nullptr);
    virtual ~AEProcessorHost();
    AEProcessorHost(const AEProcessorHost&) = delete;
    AEProcessorHost& operator=(const AEProcessorHost&) = delete;

    // Runs the slots over `frames` interleaved 16-bit stereo frames, in place.
    virtual void processBuffer(int16_t* samples, int32_t frames);
    // Puts `processor` (null empties the slot) into slot 0..7 and returns what it held.
    virtual std::unique_ptr<AudioProcessor> setProcessor(int32_t slot,
                                                         std::unique_ptr<AudioProcessor> processor);

    ProcessorChain& chain();
    bool hasChain() const { return chainView_.load(std::memory_order_acquire) != nullptr; }
    const std::shared_ptr<const ProcessorSwitches>& switches() const { return switches_; }

protected:
    // Runs the slots when there is a chain; for derived hosts that move audio first.
    void runSlots(int16_t* samples, int32_t frames);
    // Tells the fade slot where the audio now continues (after a jump).
    void setSlotPosition(int32_t frame);

private:
    std::shared_ptr<const ProcessorSwitches> switches_;
    std::unique_ptr<ProcessorChain> chain_;
    std::atomic<ProcessorChain*> chainView_{nullptr};
};
