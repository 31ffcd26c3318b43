#include "ProcessorChain.h"

#include "EnhancedStages.h"
#include "FadeEnvelope.h"
#include "FloatProcessor.h"

#include <algorithm>
#include <utility>

namespace {

bool validSlot(int32_t slot) {
    return slot >= 0 && slot < ProcessorChain::kSlotCount;
}

} // namespace

ProcessorChain::ProcessorChain(std::shared_ptr<const ProcessorSwitches> switches)
    : context_(ChainContext::make(std::move(switches))) {}

ProcessorChain::~ProcessorChain() = default;

bool ProcessorChain::createProcessor(int32_t slot, float value, bool forceOn) {
    if (!validSlot(slot)) {
        return false;
    }
    // Made before the lock is taken, so the audio thread waits only for the exchange.
    std::unique_ptr<AudioProcessor> made;
    if (slot == kFadeSlot) {
        made = std::make_unique<FadeEnvelope>(context_.switches);
    } else {
        made = EnhancedStages::makeProcessor(slot, value, forceOn, context_, restorationMode());
    }
    const bool held = made != nullptr;
    std::unique_ptr<AudioProcessor> old;
    {
        std::lock_guard lock(mutex_);
        values_[slot] = value;
        old = std::exchange(slots_[slot], std::move(made));
    }
    return held; // `old` is destroyed here, outside the lock
}

std::unique_ptr<AudioProcessor>
ProcessorChain::setProcessor(int32_t slot, std::unique_ptr<AudioProcessor> processor) {
    if (!validSlot(slot)) {
        return processor;
    }
    std::lock_guard lock(mutex_);
    return std::exchange(slots_[slot], std::move(processor));
}

bool ProcessorChain::hasProcessor(int32_t slot) const {
    std::lock_guard lock(mutex_);
    return validSlot(slot) && slots_[slot] != nullptr;
}

float ProcessorChain::slotValue(int32_t slot) const {
    std::lock_guard lock(mutex_);
    return validSlot(slot) ? values_[slot] : 0.0f;
}

int32_t ProcessorChain::latency(int32_t slot) const {
    std::lock_guard lock(mutex_);
    return validSlot(slot) && slots_[slot] ? slots_[slot]->latency() : 0;
}

void ProcessorChain::setFades(int32_t a, int32_t b, int32_t c, int32_t d) {
    std::lock_guard lock(mutex_);
    if (slots_[kFadeSlot]) {
        slots_[kFadeSlot]->setFades(a, b, c, d);
    }
}

void ProcessorChain::setPosition(int32_t frame) {
    std::lock_guard lock(mutex_);
    if (slots_[kFadeSlot]) {
        slots_[kFadeSlot]->setPosition(frame);
    }
}

void ProcessorChain::processBuffer(int16_t* frames, int32_t count) {
    if (!frames) {
        return;
    }
    std::lock_guard lock(mutex_);
    for (int32_t done = 0; done < count;) {
        const int32_t piece = std::min(count - done, StageBuffers::kMaxFrames);
        processPiece(frames + 2 * done, piece);
        done += piece;
    }
}

void ProcessorChain::processPiece(int16_t* frames, int32_t count) {
    StageBuffers& buffers = *context_.buffers;
    buffers.beginBlock();
    bool toneStageHeld = false;
    for (int32_t slot = 0; slot < kLimiterSlot; ++slot) {
        if (slots_[slot]) {
            slots_[slot]->process(frames, count);
            toneStageHeld = toneStageHeld || slot >= 3;
        }
    }
    if (toneStageHeld && slots_[kLimiterSlot]) {
        slots_[kLimiterSlot]->process(frames, count);
    } else if (buffers.converted()) {
        // Float stages ran but no limiter follows: their work must still reach the frames.
        buffers.giveBlock(frames, count, context_.switches->monoButton());
    }
    if (slots_[kFadeSlot]) {
        slots_[kFadeSlot]->process(frames, count);
    }
}
