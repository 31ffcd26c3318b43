#include "ProcessingPass.h"

#include "EnhancedStages.h"
#include "FloatProcessor.h"

#include <algorithm>

std::unique_ptr<ProcessingPass> ProcessingPass::create(const ProcessingSettings& settings) {
    std::unique_ptr<ProcessingPass> pass(new ProcessingPass(settings));
    if (!pass->makeStages()) {
        return nullptr;
    }
    return pass;
}

ProcessingPass::ProcessingPass(const ProcessingSettings& settings)
    : settings_(settings), switches_(std::make_shared<ProcessorSwitches>()), chain_(switches_),
      fade_(switches_) {}

ProcessingPass::~ProcessingPass() = default;

bool ProcessingPass::makeStages() {
    for (int32_t slot = 0; slot < ProcessingSettings::kSlots; ++slot) {
        runs_[slot] = settings_.runs(slot);
    }
    runs_[kLimiterSlot] = runs_[3] || runs_[4] || runs_[5];
    for (int32_t slot = 0; slot <= kLimiterSlot; ++slot) {
        if (!runs_[slot]) {
            continue;
        }
        const float value = slot < ProcessingSettings::kSlots ? settings_.values[slot] : 0.0f;
        auto stage = EnhancedStages::makeProcessor(slot, value, true, chain_.context(),
                                                   settings_.mode, true);
        if (!stage) {
            return false;
        }
        if (slot < kRepairSlots) {
            repair_[slot] = stage.get();
        }
        latency_ += stage->latency();
        chain_.setProcessor(slot, std::move(stage));
        anyStage_ = true;
    }
    skipLeft_ = latency_;
    flushLeft_ = latency_;
    if (settings_.fades) {
        const int32_t length = settings_.length;
        // A fade-out longer than the title would start at -1, which reads as "no fades".
        fade_.setPosition(0);
        fade_.setFades(0, settings_.fadeIn, std::max(length - settings_.fadeOut, 0), length);
    }
    return true;
}

bool ProcessingPass::runs(int32_t slot) const {
    return slot >= 0 && slot <= kLimiterSlot && runs_[slot];
}

void ProcessingPass::restore(int16_t* frames, int32_t count) {
    chain_.processBuffer(frames, count);
    if (anyStage_) {
        return;
    }
    // No stage: the block still goes to float and back, as it would through any stage.
    StageBuffers& buffers = *chain_.context().buffers;
    for (int32_t done = 0; done < count;) {
        const int32_t piece = std::min(count - done, StageBuffers::kMaxFrames);
        int16_t* block = frames + 2 * done;
        buffers.beginBlock();
        buffers.takeBlock(block, piece, *switches_);
        buffers.giveBlock(block, piece, false);
        done += piece;
    }
}

void ProcessingPass::warmUp(int16_t* frames, int32_t count) {
    if (!needsWarmUp()) {
        return; // the stages would carry the warm-up's audio into the title
    }
    // Only the stages before the tone stages learn from the warm-up.
    std::array<std::unique_ptr<AudioProcessor>, ProcessorChain::kSlotCount> held;
    for (int32_t slot = 0; slot < ProcessorChain::kSlotCount; ++slot) {
        if (slot > kNoiseSlot) {
            held[slot] = chain_.setProcessor(slot, nullptr);
        }
    }
    chain_.processBuffer(frames, count);
    for (int32_t slot = 0; slot < ProcessorChain::kSlotCount; ++slot) {
        if (held[slot]) {
            chain_.setProcessor(slot, std::move(held[slot]));
        }
    }
    warmedUp_ = true;
}

void ProcessingPass::endWarmUp() {
    warmedUp_ = false;
    for (int32_t slot = 0; slot < kRepairSlots; ++slot) {
        warmUpReports_[slot] = total(slot);
    }
}

std::span<const int16_t> ProcessingPass::process(int16_t* frames, int32_t count) {
    count = std::max(count, 0);
    if (warmedUp_) {
        endWarmUp();
    }
    restore(frames, count);
    // The skip counts frames actually dropped, so short blocks (a title shorter than the
    // latency) stay aligned too.
    const int32_t skipped = std::min(skipLeft_, count);
    skipLeft_ -= skipped;
    int16_t* out = frames + 2 * static_cast<size_t>(skipped);
    const int32_t kept = count - skipped;
    if (settings_.fades && kept > 0) {
        fade_.process(out, kept);
    }
    written_ += kept;
    return {out, 2 * static_cast<size_t>(kept)};
}

std::span<const int16_t> ProcessingPass::flush(int16_t* frames) {
    const int32_t count = std::min(flushLeft_, kBlockFrames);
    std::fill_n(frames, 2 * static_cast<size_t>(count), int16_t{0});
    flushLeft_ -= count;
    return process(frames, count);
}

RepairReport ProcessingPass::total(int32_t slot) const {
    if (slot < 0 || slot >= kRepairSlots || !repair_[slot]) {
        return {};
    }
    const auto* reporter = dynamic_cast<const RepairReporter*>(&repair_[slot]->kernel());
    return reporter ? reporter->report() : RepairReport{};
}

RepairReport ProcessingPass::report(int32_t slot) const {
    RepairReport result = total(slot);
    if (slot >= 0 && slot < kRepairSlots) {
        const RepairReport& before = warmUpReports_[slot];
        result.repairs -= before.repairs;
        result.samples -= before.samples;
        result.failures -= before.failures;
    }
    return result;
}
