#include "ASampleRateConverter.h"

#include "FClassRegistry.h"

#include <algorithm>
#include <cmath>

namespace {

const FRegisterClass kRegistration("ASampleRateConverter", "CmObject");

} // namespace

ASampleRateConverter::ASampleRateConverter(int32_t channels, double sourceRate,
                                           double destinationRate)
    : sourceRate_(sourceRate), destinationRate_(destinationRate), channels_(channels) {
    if (channels >= 1) {
        last_.assign(static_cast<size_t>(channels), 0.0f);
    }
    reset();
}

void ASampleRateConverter::reset() {
    ratio_ = 0.0;
    step_ = 0;
    if (sourceRate_ > 0.0 && destinationRate_ > 0.0 && !last_.empty() &&
        std::isfinite(sourceRate_) && std::isfinite(destinationRate_)) {
        double ratio = sourceRate_ / destinationRate_;
        if (ratio >= 0.01 && ratio <= 100.0) {
            ratio_ = ratio;
            step_ = std::llround(ratio * static_cast<double>(kOne));
        }
    }
    std::fill(last_.begin(), last_.end(), 0.0f);
    phase_ = kOne;
    carry_ = 0;
    consumed_ = 0;
}

int64_t ASampleRateConverter::inputFramesFor(int64_t outputFrames) const {
    if (outputFrames <= 0 || ratio_ <= 0.0) {
        return 0;
    }
    // The last output lies at phase - 1 + (n - 1) * ratio, counted from the first new frame.
    double lastPosition = phase() - 1.0 + static_cast<double>(outputFrames - 1) * ratio_;
    return std::max<int64_t>(1, static_cast<int64_t>(std::ceil(lastPosition)) + 1);
}

int64_t ASampleRateConverter::outputFramesFor(int64_t inputFrames) const {
    if (inputFrames <= 0 || ratio_ <= 0.0) {
        return 0;
    }
    double span = static_cast<double>(inputFrames) - phase();
    if (span < 0.0) {
        return 0;
    }
    return static_cast<int64_t>(std::floor(span / ratio_)) + 1;
}

template <class T>
int32_t ASampleRateConverter::run(T* destination, const T* source, int32_t frames, int32_t channels,
                                  int32_t capacity) {
    consumed_ = 0;
    if (step_ <= 0 || channels != channels_ || channels < 1 || channels > 2 || frames < 0) {
        return 0;
    }
    int64_t next = 0; // index of b, the input frame after the read position
    int64_t phase = phase_;
    int32_t produced = 0;
    while (produced < capacity) {
        while (phase > kOne) {
            phase -= kOne;
            ++next;
        }
        if (next >= frames) {
            break;
        }
        const double weight = static_cast<double>(phase) / static_cast<double>(kOne);
        for (int32_t c = 0; c < channels; ++c) {
            double a = next == 0 ? last_[static_cast<size_t>(c)]
                                 : static_cast<double>(source[(next - 1) * channels + c]);
            double b = static_cast<double>(source[next * channels + c]);
            // Between two valid samples, so in range; integer casts truncate toward zero.
            destination[static_cast<int64_t>(produced) * channels + c] =
                static_cast<T>(a * (1.0 - weight) + b * weight);
        }
        ++produced;
        phase += step_;
    }
    // Keep the state relative to the last frame used: the next output lies `phase` after
    // frame next - 1. Frames strictly behind it are used; one it falls exactly on is not,
    // so that it comes back as b (phase 1.0) with the next call's input.
    const int64_t used = std::min<int64_t>(next + (phase - 1) / kOne, frames);
    if (used > 0) {
        for (int32_t c = 0; c < channels; ++c) {
            last_[static_cast<size_t>(c)] = static_cast<float>(source[(used - 1) * channels + c]);
        }
    }
    phase_ = phase + (next - used) * kOne;
    carry_ = (phase_ % kOne) != 0 ? 1 : 0;
    consumed_ = static_cast<int32_t>(used);
    return produced;
}

int32_t ASampleRateConverter::process(uint8_t* destination, const uint8_t* source, int32_t frames,
                                      int32_t channels, int32_t capacity) {
    return run(destination, source, frames, channels, capacity);
}

int32_t ASampleRateConverter::process(int8_t* destination, const int8_t* source, int32_t frames,
                                      int32_t channels, int32_t capacity) {
    return run(destination, source, frames, channels, capacity);
}

int32_t ASampleRateConverter::process(int16_t* destination, const int16_t* source, int32_t frames,
                                      int32_t channels, int32_t capacity) {
    return run(destination, source, frames, channels, capacity);
}

int32_t ASampleRateConverter::process(float* destination, const float* source, int32_t frames,
                                      int32_t channels, int32_t capacity) {
    return run(destination, source, frames, channels, capacity);
}
