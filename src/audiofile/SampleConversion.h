#pragma once

#include <cstdint>

// The per-sample kernels of format conversion. Buffers are raw bytes; samples are in the
// machine's byte order unless a function says otherwise. None of them allocates.
//
// Supported sample kinds: 8-bit unsigned (WAVE), 8-bit signed (AIFF), 16-bit signed, 24-bit
// signed (three bytes, least significant first) and 32-bit float in -1.0 .. 1.0. 8-bit
// signed is 8-bit unsigned with the top bit flipped.
enum class SampleKind { kUnsigned8, kSigned8, kSigned16, kSigned24, kFloat32, kUnsupported };

SampleKind sampleKind(int32_t bits, int32_t sampleType);
// Bytes of one sample of a supported kind; 0 for kUnsupported.
int32_t sampleBytes(SampleKind kind);

namespace SampleConversion {

// Reverses the bytes of each of `count` samples of `bits` bits in place (8: nothing, 16,
// 24 and 32). False for any other depth.
bool swapBytes(void* samples, int64_t count, int32_t bits);
// Planar (channel after channel) to interleaved, and back; any sample size.
void planarToInterleaved(void* out, const void* in, int64_t frames, int32_t channels,
                         int32_t sampleBytes);
void interleavedToPlanar(void* out, const void* in, int64_t frames, int32_t channels,
                         int32_t sampleBytes);
// Converts `count` samples between two supported kinds. Float input outside -1.0 .. 1.0
// saturates at the integer limits (NaN counts as 0). False for an unsupported kind.
bool convertType(void* out, SampleKind outKind, const void* in, SampleKind inKind, int64_t count);
// Maps interleaved frames between channel counts that are multiples of each other: fewer to
// more repeats each sample in a row (mono to stereo: left = right); more to fewer averages
// each group of adjacent samples, truncating toward zero (stereo to mono: (l + r) / 2).
bool mapChannels(void* out, int32_t outChannels, const void* in, int32_t inChannels, int64_t frames,
                 SampleKind kind);

} // namespace SampleConversion
