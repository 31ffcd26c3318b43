#include "AEVolumes.h"

#include "AEBufferKernels.h"

#include <algorithm>

int32_t AEVolumes::volume(Direction direction, int32_t channel) const {
    if (channel < 0 || channel > 1) {
        return 0;
    }
    return values_[static_cast<size_t>(slot(direction, channel))].load(std::memory_order_relaxed);
}

void AEVolumes::setVolume(Direction direction, int32_t channel, int32_t value) {
    if (channel < 0 || channel > 1) {
        return;
    }
    values_[static_cast<size_t>(slot(direction, channel))].store(std::clamp(value, 0, kFull),
                                                                 std::memory_order_relaxed);
}

void AEVolumes::apply(Direction direction, int16_t* samples, int32_t frames) const {
    const int32_t left = volume(direction, 0);
    const int32_t right = volume(direction, 1);
    if (left >= kUntouched && right >= kUntouched) {
        return;
    }
    AEBufferKernels::scale(samples, frames, left, right);
}
