#include "FloatProcessor.h"

#include "AlgorithmLibrary.h"

#include <algorithm>

std::unique_ptr<FloatProcessor> FloatProcessor::create(int32_t slot, float value, bool forceOn,
                                                       ChainContext context) {
    if (slot < 0 || slot > kLimiterSlot || !context.switches || !context.buffers) {
        return nullptr;
    }
    ParameterBlock params;
    params.value = value;
    params.forceOn = forceOn ? 1 : 0;
    return create(slot, value, forceOn, std::move(context),
                  AlgorithmLibrary::create(static_cast<ProcessorKind>(slot), params));
}

std::unique_ptr<FloatProcessor> FloatProcessor::create(int32_t slot, float value, bool forceOn,
                                                       ChainContext context,
                                                       std::unique_ptr<AlgorithmKernel> kernel) {
    if (slot < 0 || slot > kLimiterSlot || !context.switches || !context.buffers || !kernel) {
        return nullptr;
    }
    return std::unique_ptr<FloatProcessor>(
        new FloatProcessor(slot, value, forceOn, std::move(context), std::move(kernel)));
}

FloatProcessor::FloatProcessor(int32_t slot, float value, bool forceOn, ChainContext context,
                               std::unique_ptr<AlgorithmKernel> kernel)
    : slot_(slot), value_(value), context_(std::move(context)), kernel_(std::move(kernel)) {
    params_.value = effectiveValue();
    params_.forceOn = forceOn ? 1 : 0;
}

float FloatProcessor::effectiveValue() const {
    // The widener's kernel doubles its value: 0.5 + 0.5 p gives a side gain of 1 + p.
    return static_cast<ProcessorKind>(slot_) == ProcessorKind::StereoWidener ? 0.5f * value_ + 0.5f
                                                                             : value_;
}

void FloatProcessor::process(int16_t* frames, int32_t count) {
    StageBuffers& buffers = *context_.buffers;
    const ProcessorSwitches& switches = *context_.switches;
    count = std::clamp(count, 0, StageBuffers::kMaxFrames);
    // Converting comes first, before any switch is looked at.
    buffers.takeBlock(frames, count, switches);

    const bool mono = switches.monoButton();
    const bool switchedOff = switches.processorOff(slot_) && !params_.forceOn;
    if (!switchedOff && !switches.bypassButton()) {
        params_.value = effectiveValue();
        params_.channels = mono ? 1 : 2;
        std::copy_n(buffers.b(0), count, buffers.a(0));
        if (!mono) {
            std::copy_n(buffers.b(1), count, buffers.a(1));
        }
        const float* in[2] = {buffers.a(0), buffers.a(1)};
        float* out[2] = {buffers.b(0), buffers.b(1)};
        kernel_->process(params_, in, out, count);
    }
    if (slot_ == kLimiterSlot) {
        buffers.giveBlock(frames, count, mono);
    }
}
