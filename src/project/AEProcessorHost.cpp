#include "AEProcessorHost.h"

AEProcessorHost::AEProcessorHost(std::shared_ptr<const ProcessorSwitches> switches)
    : switches_(switches ? std::move(switches) : std::make_shared<ProcessorSwitches>()) {}

AEProcessorHost::~AEProcessorHost() = default;

ProcessorChain& AEProcessorHost::chain() {
    if (!chain_) {
        chain_ = std::make_unique<ProcessorChain>(switches_);
        chainView_.store(chain_.get(), std::memory_order_release);
    }
    return *chain_;
}

void AEProcessorHost::runSlots(int16_t* samples, int32_t frames) {
    if (ProcessorChain* slots = chainView_.load(std::memory_order_acquire)) {
        slots->processBuffer(samples, frames);
    }
}

void AEProcessorHost::setSlotPosition(int32_t frame) {
    if (ProcessorChain* slots = chainView_.load(std::memory_order_acquire)) {
        slots->setPosition(frame);
    }
}

void AEProcessorHost::processBuffer(int16_t* samples, int32_t frames) {
    runSlots(samples, frames);
}

std::unique_ptr<AudioProcessor>
AEProcessorHost::setProcessor(int32_t slot, std::unique_ptr<AudioProcessor> processor) {
    return chain().setProcessor(slot, std::move(processor));
}
