#include "AudioConverter.h"

#include "ASampleRateConverter.h"
#include "FClassRegistry.h"
#include "SampleConversion.h"

#include <algorithm>
#include <cstring>

namespace {

const FRegisterClass kRegistration("AudioConverter", "CmObject");

enum StageFlag : uint32_t {
    kRate = 1,
    kChannels = 2,
    kSourcePlanar = 4,
    kDestinationPlanar = 8,
    kBits = 16,
};

enum class Stage { kToInterleaved, kRateDown, kType, kChannelMap, kRateUp, kToPlanar };

// The converter only handles formats whose frames are exactly channels whole samples wide;
// anything else could make a stage write past the end of a buffer.
bool isWellFormed(const AudioFormat& format) {
    return format.channels >= 1 && format.bits >= 8 &&
           format.bytesPerFrame == format.channels * (format.bits / 8);
}

bool isPlanar(const AudioFormat& format) {
    return format.formatFlags == kFormatPlanar && format.channels > 1;
}

uint32_t stageFlags(const AudioFormat& source, const AudioFormat& destination) {
    uint32_t flags = 0;
    if (source.sampleRate != destination.sampleRate) {
        flags |= kRate;
    }
    if (source.channels != destination.channels) {
        flags |= kChannels;
    }
    if (isPlanar(source)) {
        flags |= kSourcePlanar;
    }
    if (isPlanar(destination)) {
        flags |= kDestinationPlanar;
    }
    // A change of sample type at the same depth (8-bit unsigned and signed) needs the
    // type stage as much as a change of depth does.
    if (source.bits != destination.bits || source.sampleType != destination.sampleType) {
        flags |= kBits;
    }
    if (source.channels > 1 && !(flags & (kChannels | kRate)) &&
        source.formatFlags == destination.formatFlags) {
        flags &= ~(kSourcePlanar | kDestinationPlanar); // passed through in its layout
    }
    return flags;
}

int32_t resample(ASampleRateConverter& rate, uint8_t* out, const uint8_t* in, int32_t frames,
                 int32_t channels, SampleKind kind, int32_t capacity) {
    switch (kind) {
    case SampleKind::kUnsigned8:
        return rate.process(out, in, frames, channels, capacity);
    case SampleKind::kSigned8:
        return rate.process(reinterpret_cast<int8_t*>(out), reinterpret_cast<const int8_t*>(in),
                            frames, channels, capacity);
    case SampleKind::kSigned16:
        return rate.process(reinterpret_cast<int16_t*>(out), reinterpret_cast<const int16_t*>(in),
                            frames, channels, capacity);
    case SampleKind::kFloat32:
        return rate.process(reinterpret_cast<float*>(out), reinterpret_cast<const float*>(in),
                            frames, channels, capacity);
    case SampleKind::kSigned24:
    case SampleKind::kUnsupported:
        break;
    }
    return 0;
}

} // namespace

// All fields 0 until the formats are set: nothing converts before that.
AudioConverter::AudioConverter() {
    source_ = destination_ = AudioFormat{0.0f, 0, 0, 0, 0, 0};
}

AudioConverter::~AudioConverter() = default;

void AudioConverter::setSourceFormat(const AudioFormat& format, uint16_t swapWord) {
    setSide(source_, sourceSwap_, format, swapWord);
}

void AudioConverter::setDestinationFormat(const AudioFormat& format, uint16_t swapWord) {
    setSide(destination_, destinationSwap_, format, swapWord);
}

void AudioConverter::setSide(AudioFormat& side, uint16_t& sideSwap, const AudioFormat& format,
                             uint16_t swapWord) {
    // Unchanged formats keep the rate converter, and with it the position in the stream.
    if (format == side && swapWord == sideSwap && (rate_ || !hasRateStage())) {
        return;
    }
    side = format;
    sideSwap = swapWord;
    rebuildRateConverter();
}

void AudioConverter::rebuildRateConverter() {
    rate_.reset();
    if (source_.sampleRate == destination_.sampleRate) {
        return;
    }
    // The rate stage runs before the channel stage when lowering, after it when raising.
    int32_t channels =
        destination_.sampleRate < source_.sampleRate ? source_.channels : destination_.channels;
    rate_ = std::make_unique<ASampleRateConverter>(channels, source_.sampleRate,
                                                   destination_.sampleRate);
}

bool AudioConverter::hasRateStage() const {
    return source_.sampleRate != destination_.sampleRate;
}

int64_t AudioConverter::sourceFramesFor(int64_t destinationFrames) const {
    if (!hasRateStage()) {
        return destinationFrames;
    }
    return rate_ ? rate_->inputFramesFor(destinationFrames) : 0;
}

int64_t AudioConverter::destinationFramesFor(int64_t sourceFrames) const {
    if (!hasRateStage()) {
        return sourceFrames;
    }
    return rate_ ? rate_->outputFramesFor(sourceFrames) : 0;
}

void AudioConverter::reset() {
    if (rate_) {
        rate_->reset();
    }
}

uint8_t* AudioConverter::scratch(int index, int64_t bytes) {
    auto& buffer = scratch_[index];
    if (static_cast<int64_t>(buffer.size()) < bytes) {
        buffer.resize(static_cast<size_t>(bytes));
    }
    return buffer.data();
}

bool AudioConverter::convert(void* destination, const void* source, int32_t frames) {
    reset();
    int64_t capacity = std::min<int64_t>(destinationFramesFor(frames), INT32_MAX);
    return convert(destination, static_cast<int32_t>(capacity), source, frames) >= 0;
}

int32_t AudioConverter::convert(void* destination, int32_t capacity, const void* source,
                                int32_t frames) {
    consumed_ = 0;
    if (frames < 0 || capacity < 0 || !isWellFormed(source_) || !isWellFormed(destination_)) {
        return -1;
    }
    const uint32_t flags = stageFlags(source_, destination_);
    const auto* in = static_cast<const uint8_t*>(source);
    int64_t count = (flags & kRate) ? frames : std::min(frames, capacity);
    int32_t channels = source_.channels;
    SampleKind kind = sampleKind(source_.bits, source_.sampleType);
    int32_t width = source_.bytesPerFrame / source_.channels;
    int next = 0;

    if (sourceSwap_ != 0) {
        uint8_t* swapped = scratch(next, count * source_.bytesPerFrame);
        std::memcpy(swapped, in, static_cast<size_t>(count * source_.bytesPerFrame));
        if (!SampleConversion::swapBytes(swapped, count * channels, source_.bits)) {
            return -1;
        }
        in = swapped;
        next ^= 1;
    }

    Stage stages[6];
    int stageCount = 0;
    if (flags & kSourcePlanar) {
        stages[stageCount++] = Stage::kToInterleaved;
    }
    if ((flags & kRate) && destination_.sampleRate < source_.sampleRate) {
        stages[stageCount++] = Stage::kRateDown;
    }
    if (flags & kBits) {
        stages[stageCount++] = Stage::kType;
    }
    if (flags & kChannels) {
        stages[stageCount++] = Stage::kChannelMap;
    }
    if ((flags & kRate) && destination_.sampleRate > source_.sampleRate) {
        stages[stageCount++] = Stage::kRateUp;
    }
    if (flags & kDestinationPlanar) {
        stages[stageCount++] = Stage::kToPlanar;
    }

    auto* out = static_cast<uint8_t*>(destination);
    if (stageCount == 0) {
        std::memmove(out, in, static_cast<size_t>(count * destination_.bytesPerFrame));
    }
    int64_t used = count;
    for (int s = 0; s < stageCount; ++s) {
        const bool last = s == stageCount - 1;
        int64_t outCount = count;
        int32_t outChannels = channels;
        SampleKind outKind = kind;
        int32_t outWidth = width;
        switch (stages[s]) {
        case Stage::kType:
            outKind = sampleKind(destination_.bits, destination_.sampleType);
            outWidth = sampleBytes(outKind);
            break;
        case Stage::kChannelMap:
            outChannels = destination_.channels;
            break;
        case Stage::kRateDown:
        case Stage::kRateUp:
            if (!rate_) {
                return -1;
            }
            outCount = std::min<int64_t>(capacity, rate_->outputFramesFor(count) + 1);
            break;
        default:
            break;
        }
        uint8_t* target = last ? out : scratch(next, outCount * outChannels * outWidth);
        bool ok = true;
        switch (stages[s]) {
        case Stage::kToInterleaved:
            SampleConversion::planarToInterleaved(target, in, count, channels, width);
            break;
        case Stage::kToPlanar:
            SampleConversion::interleavedToPlanar(target, in, count, channels, width);
            break;
        case Stage::kType:
            ok = SampleConversion::convertType(target, outKind, in, kind, count * channels);
            break;
        case Stage::kChannelMap:
            ok = SampleConversion::mapChannels(target, outChannels, in, channels, count, kind);
            break;
        case Stage::kRateDown:
        case Stage::kRateUp:
            // The rate converter takes 8-bit, 16-bit and float samples.
            ok = sampleBytes(kind) != 0 && kind != SampleKind::kSigned24 && rate_->ratio() > 0.0 &&
                 rate_->channels() == channels;
            if (ok) {
                outCount = resample(*rate_, target, in, static_cast<int32_t>(count), channels, kind,
                                    static_cast<int32_t>(outCount));
                used = rate_->consumed();
            }
            break;
        }
        if (!ok) {
            return -1;
        }
        in = target;
        count = outCount;
        channels = outChannels;
        kind = outKind;
        width = outWidth;
        if (!last) {
            next ^= 1;
        }
    }

    if (destinationSwap_ != 0 &&
        !SampleConversion::swapBytes(out, count * destination_.channels, destination_.bits)) {
        return -1;
    }
    consumed_ = static_cast<int32_t>(used);
    return static_cast<int32_t>(count);
}
