#include "SampleConversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>

SampleKind sampleKind(int32_t bits, int32_t sampleType) {
    if (bits == 8 && sampleType == 0) {
        return SampleKind::kUnsigned8;
    }
    if (bits == 8 && sampleType == 1) {
        return SampleKind::kSigned8;
    }
    if (bits == 16 && sampleType == 1) {
        return SampleKind::kSigned16;
    }
    if (bits == 24 && sampleType == 1) {
        return SampleKind::kSigned24;
    }
    if (bits == 32 && sampleType == 2) {
        return SampleKind::kFloat32;
    }
    return SampleKind::kUnsupported;
}

int32_t sampleBytes(SampleKind kind) {
    switch (kind) {
    case SampleKind::kUnsigned8:
    case SampleKind::kSigned8:
        return 1;
    case SampleKind::kSigned16:
        return 2;
    case SampleKind::kSigned24:
        return 3;
    case SampleKind::kFloat32:
        return 4;
    case SampleKind::kUnsupported:
        break;
    }
    return 0;
}

namespace {

// Readers: one sample of each kind as the value the conversion table starts from.
template <class T> T load(const void* in, int64_t i) {
    T value;
    std::memcpy(&value, static_cast<const uint8_t*>(in) + i * static_cast<int64_t>(sizeof(T)),
                sizeof(T));
    return value;
}
template <class T> void store(void* out, int64_t i, T value) {
    std::memcpy(static_cast<uint8_t*>(out) + i * static_cast<int64_t>(sizeof(T)), &value,
                sizeof(T));
}

int32_t load24(const void* in, int64_t i) {
    const uint8_t* p = static_cast<const uint8_t*>(in) + i * 3;
    const int32_t value = p[0] | (p[1] << 8) | (p[2] << 16);
    return (value ^ 0x800000) - 0x800000; // sign-extended
}
void store24(void* out, int64_t i, int32_t value) {
    uint8_t* p = static_cast<uint8_t*>(out) + i * 3;
    p[0] = static_cast<uint8_t>(value & 0xFF);
    p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    p[2] = static_cast<uint8_t>((value >> 16) & 0xFF);
}

// Saturating float conversions: a float file with overs must not wrap into noise.
int16_t floatToSigned16(float x) {
    if (std::isnan(x)) {
        return 0;
    }
    float scaled = std::clamp(32767.0f * x, -32768.0f, 32767.0f);
    return static_cast<int16_t>(scaled);
}

uint8_t floatToUnsigned8(float x) {
    if (std::isnan(x)) {
        x = 0.0f;
    }
    float scaled = std::clamp((x + 1.0f) * 255.0f * 0.5f, 0.0f, 255.0f);
    return static_cast<uint8_t>(scaled);
}

uint8_t toUnsigned8(SampleKind kind, const void* in, int64_t i) {
    switch (kind) {
    case SampleKind::kUnsigned8:
        return load<uint8_t>(in, i);
    case SampleKind::kSigned8:
        return static_cast<uint8_t>(load<int8_t>(in, i) + 128);
    case SampleKind::kSigned16:
        return static_cast<uint8_t>((load<int16_t>(in, i) + 32768) >> 8);
    case SampleKind::kSigned24:
        return static_cast<uint8_t>((load24(in, i) + 0x800000) >> 16);
    case SampleKind::kFloat32:
        return floatToUnsigned8(load<float>(in, i));
    case SampleKind::kUnsupported:
        break;
    }
    return 0;
}

int16_t toSigned16(SampleKind kind, const void* in, int64_t i) {
    switch (kind) {
    case SampleKind::kUnsigned8:
        return static_cast<int16_t>(load<uint8_t>(in, i) * 256 - 32768);
    case SampleKind::kSigned8:
        return static_cast<int16_t>(load<int8_t>(in, i) * 256);
    case SampleKind::kSigned16:
        return load<int16_t>(in, i);
    case SampleKind::kSigned24:
        return static_cast<int16_t>(load24(in, i) >> 8);
    case SampleKind::kFloat32:
        return floatToSigned16(load<float>(in, i));
    case SampleKind::kUnsupported:
        break;
    }
    return 0;
}

float toFloat32(SampleKind kind, const void* in, int64_t i) {
    switch (kind) {
    case SampleKind::kUnsigned8:
        return static_cast<float>(load<uint8_t>(in, i)) * (2.0f / 255.0f) - 1.0f;
    case SampleKind::kSigned8:
        return static_cast<float>(load<int8_t>(in, i) + 128) * (2.0f / 255.0f) - 1.0f;
    case SampleKind::kSigned16:
        return static_cast<float>(load<int16_t>(in, i)) / 32767.0f;
    case SampleKind::kSigned24:
        return static_cast<float>(load24(in, i)) / 8388607.0f;
    case SampleKind::kFloat32:
        return load<float>(in, i);
    case SampleKind::kUnsupported:
        break;
    }
    return 0.0f;
}

int32_t toSigned24(SampleKind kind, const void* in, int64_t i) {
    switch (kind) {
    case SampleKind::kSigned24:
        return load24(in, i);
    case SampleKind::kFloat32: {
        const float x = load<float>(in, i);
        return std::isnan(x)
                   ? 0
                   : static_cast<int32_t>(std::clamp(8388607.0f * x, -8388608.0f, 8388607.0f));
    }
    default:
        return toSigned16(kind, in, i) * 256;
    }
}

// How averageGroups reaches the samples: as a plain type, or packed in three bytes.
template <class T> struct PlainSamples {
    static T get(const void* in, int64_t i) { return load<T>(in, i); }
    template <class Sum> static void put(void* out, int64_t i, Sum value) {
        store<T>(out, i, static_cast<T>(value));
    }
};
struct PackedSamples24 {
    static int32_t get(const void* in, int64_t i) { return load24(in, i); }
    static void put(void* out, int64_t i, int64_t value) {
        store24(out, i, static_cast<int32_t>(value));
    }
};

template <class Samples, class Sum>
void averageGroups(void* out, int32_t outChannels, const void* in, int32_t inChannels,
                   int64_t frames) {
    const int32_t group = inChannels / outChannels;
    for (int64_t f = 0; f < frames; ++f) {
        for (int32_t c = 0; c < outChannels; ++c) {
            Sum sum = 0;
            for (int32_t g = 0; g < group; ++g) {
                sum += Samples::get(in, f * inChannels + c * group + g);
            }
            Samples::put(out, f * outChannels + c, sum / group);
        }
    }
}

} // namespace

namespace SampleConversion {

bool swapBytes(void* samples, int64_t count, int32_t bits) {
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return false;
    }
    const int32_t width = bits / 8;
    auto* bytes = static_cast<uint8_t*>(samples);
    for (int64_t i = 0; i < count; ++i) {
        std::reverse(bytes + i * width, bytes + (i + 1) * width);
    }
    return true;
}

void planarToInterleaved(void* out, const void* in, int64_t frames, int32_t channels,
                         int32_t sampleBytes) {
    auto* dst = static_cast<uint8_t*>(out);
    const auto* src = static_cast<const uint8_t*>(in);
    for (int64_t i = 0; i < frames; ++i) {
        for (int32_t c = 0; c < channels; ++c) {
            std::memcpy(dst + (i * channels + c) * sampleBytes,
                        src + (i + c * frames) * sampleBytes, static_cast<size_t>(sampleBytes));
        }
    }
}

void interleavedToPlanar(void* out, const void* in, int64_t frames, int32_t channels,
                         int32_t sampleBytes) {
    auto* dst = static_cast<uint8_t*>(out);
    const auto* src = static_cast<const uint8_t*>(in);
    for (int32_t c = 0; c < channels; ++c) {
        for (int64_t i = 0; i < frames; ++i) {
            std::memcpy(dst + (c * frames + i) * sampleBytes,
                        src + (i * channels + c) * sampleBytes, static_cast<size_t>(sampleBytes));
        }
    }
}

bool convertType(void* out, SampleKind outKind, const void* in, SampleKind inKind, int64_t count) {
    if (outKind == SampleKind::kUnsupported || inKind == SampleKind::kUnsupported) {
        return false;
    }
    for (int64_t i = 0; i < count; ++i) {
        switch (outKind) {
        case SampleKind::kUnsigned8:
            store<uint8_t>(out, i, toUnsigned8(inKind, in, i));
            break;
        case SampleKind::kSigned8:
            store<int8_t>(out, i, static_cast<int8_t>(toUnsigned8(inKind, in, i) - 128));
            break;
        case SampleKind::kSigned16:
            store<int16_t>(out, i, toSigned16(inKind, in, i));
            break;
        case SampleKind::kSigned24:
            store24(out, i, toSigned24(inKind, in, i));
            break;
        case SampleKind::kFloat32:
            store<float>(out, i, toFloat32(inKind, in, i));
            break;
        case SampleKind::kUnsupported:
            return false;
        }
    }
    return true;
}

bool mapChannels(void* out, int32_t outChannels, const void* in, int32_t inChannels, int64_t frames,
                 SampleKind kind) {
    const int32_t width = sampleBytes(kind);
    if (width == 0 || inChannels < 1 || outChannels < 1) {
        return false;
    }
    if (inChannels <= outChannels) {
        if (outChannels % inChannels != 0) {
            return false;
        }
        const int32_t repeat = outChannels / inChannels;
        auto* dst = static_cast<uint8_t*>(out);
        const auto* src = static_cast<const uint8_t*>(in);
        for (int64_t s = 0; s < frames * inChannels; ++s) {
            for (int32_t r = 0; r < repeat; ++r) {
                std::memcpy(dst + (s * repeat + r) * width, src + s * width,
                            static_cast<size_t>(width));
            }
        }
        return true;
    }
    if (inChannels % outChannels != 0) {
        return false;
    }
    switch (kind) {
    case SampleKind::kUnsigned8:
        averageGroups<PlainSamples<uint8_t>, int32_t>(out, outChannels, in, inChannels, frames);
        break;
    case SampleKind::kSigned8:
        averageGroups<PlainSamples<int8_t>, int32_t>(out, outChannels, in, inChannels, frames);
        break;
    case SampleKind::kSigned16:
        averageGroups<PlainSamples<int16_t>, int32_t>(out, outChannels, in, inChannels, frames);
        break;
    case SampleKind::kSigned24:
        averageGroups<PackedSamples24, int64_t>(out, outChannels, in, inChannels, frames);
        break;
    case SampleKind::kFloat32:
        averageGroups<PlainSamples<float>, float>(out, outChannels, in, inChannels, frames);
        break;
    case SampleKind::kUnsupported:
        return false;
    }
    return true;
}

} // namespace SampleConversion
