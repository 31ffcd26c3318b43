#pragma once

#include "AudioProcessor.h"
#include "ChainContext.h"
#include "RestorationMode.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>

// Eight processor slots applied in a fixed order to blocks of interleaved 16-bit stereo
// frames, in place:
//   0 click remover, 1 crackle remover, 2 noise reducer, 3 bass, 4 stereo width,
//   5 brilliance (float stages, each skipped while its slot is empty),
//   6 peak limiter and conversion back to 16 bits (only when slot 3, 4 or 5 ran),
//   7 fade envelope (16-bit).
// The chain's switch set is given when it is built. Slots may be replaced from another
// thread while blocks are processed: a replaced processor is never destroyed while it
// runs.
class ProcessorChain {
public:
    static constexpr int32_t kSlotCount = 8;
    static constexpr int32_t kLimiterSlot = 6;
    static constexpr int32_t kFadeSlot = 7;

    explicit ProcessorChain(std::shared_ptr<const ProcessorSwitches> switches);
    ~ProcessorChain();
    ProcessorChain(const ProcessorChain&) = delete;
    ProcessorChain& operator=(const ProcessorChain&) = delete;

    // Stores `value` as the slot's value and replaces the slot's processor by a new one of
    // the slot's kind in its starting state (slot 7: a fade envelope with no positions).
    // Slots 0..2 get the stage of the chain's restoration mode.
    // A slot whose processor cannot be made is left empty; returns whether it holds one.
    // Slots outside 0..7 are refused.
    bool createProcessor(int32_t slot, float value, bool forceOn = false);
    // Puts `processor` into the slot (null empties it) and returns the one it held. A
    // float stage must have been made with this chain's context().
    std::unique_ptr<AudioProcessor> setProcessor(int32_t slot,
                                                 std::unique_ptr<AudioProcessor> processor);
    bool hasProcessor(int32_t slot) const;
    // Which repair stages createProcessor() makes for slots 0..2 from now on (classic at
    // first); processors already in the slots stay until they are made again.
    void setRestorationMode(RestorationMode mode) { mode_.store(mode, std::memory_order_relaxed); }
    RestorationMode restorationMode() const { return mode_.load(std::memory_order_relaxed); }
    // The last value given for the slot.
    float slotValue(int32_t slot) const;
    // The slot's processor's latency, 0 for an empty slot.
    int32_t latency(int32_t slot) const;

    // Runs the slots over `count` frames in place; longer blocks than the work areas hold
    // are worked through in pieces.
    void processBuffer(int16_t* frames, int32_t count);

    // Forwarded to the fade envelope in slot 7.
    void setFades(int32_t a, int32_t b, int32_t c, int32_t d);
    void setPosition(int32_t frame);

    const ChainContext& context() const { return context_; }

private:
    void processPiece(int16_t* frames, int32_t count);

    ChainContext context_;
    mutable std::mutex mutex_; // held while blocks run and while slots change hands
    std::array<std::unique_ptr<AudioProcessor>, kSlotCount> slots_;
    std::array<float, kSlotCount> values_{};
    std::atomic<RestorationMode> mode_{RestorationMode::kClassic};
};
