#include "AELevelMeters.h"

#include "AEBufferKernels.h"

#include <algorithm>

int32_t AELevelMeters::level(int32_t peak) {
    return std::min(peak / kPeakPerStep, kMaxLevel);
}

void AELevelMeters::reset(int32_t ringLength) {
    ringLength_ = std::clamp(ringLength, 1, kRingCapacity);
    ringLeft_.fill(0);
    ringRight_.fill(0);
    // The value read is the one written ringLength − 1 buffers before: the buffer that
    // plays while the others wait in the queue.
    writeIndex_ = 0;
    readIndex_ = 1 % ringLength_;
    clearClipFlags();
    zero();
}

void AELevelMeters::zero() {
    for (auto& value : values_) {
        value.store(0, std::memory_order_relaxed);
    }
}

bool AELevelMeters::clipFlag(int32_t channel) const {
    return channel >= 0 && channel < 2 && clip_[static_cast<size_t>(channel)].load();
}

void AELevelMeters::clearClipFlags() {
    clip_[0].store(false);
    clip_[1].store(false);
}

void AELevelMeters::noteClips(int32_t leftPeak, int32_t rightPeak) {
    if (clips(leftPeak)) {
        clip_[0].store(true);
    }
    if (clips(rightPeak)) {
        clip_[1].store(true);
    }
}

void AELevelMeters::showRecorded(const int16_t* samples, int32_t frames) {
    if (!enabled()) {
        return;
    }
    const AEBufferKernels::ChannelPeaks peaks = AEBufferKernels::peaks(samples, frames);
    noteClips(peaks.left, peaks.right);
    set(kInLeft, level(peaks.left));
    set(kInRight, level(peaks.right));
    set(kOutLeft, 0);
    set(kOutRight, 0);
}

void AELevelMeters::showPlayed(const int16_t* samples, int32_t frames) {
    if (!enabled()) {
        return;
    }
    const AEBufferKernels::ChannelPeaks peaks = AEBufferKernels::peaks(samples, frames);
    noteClips(peaks.left, peaks.right);
    ringLeft_[static_cast<size_t>(writeIndex_)] = level(peaks.left);
    ringRight_[static_cast<size_t>(writeIndex_)] = level(peaks.right);
    set(kOutLeft, ringLeft_[static_cast<size_t>(readIndex_)]);
    set(kOutRight, ringRight_[static_cast<size_t>(readIndex_)]);
    set(kInLeft, 0);
    set(kInRight, 0);
    writeIndex_ = (writeIndex_ + 1) % ringLength_;
    readIndex_ = (readIndex_ + 1) % ringLength_;
}
