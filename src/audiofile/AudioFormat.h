#pragma once

#include <cstdint>

// Sample types of an audio format.
enum : int32_t {
    kSampleUnsigned = 0,
    kSampleSigned = 1,
    kSampleFloat = 2, // 32-bit IEEE float, nominal range -1.0 .. 1.0
};

// Format flag: with more than one channel, all frames of channel 0 come first, then those
// of channel 1, and so on. Without it samples are interleaved.
constexpr int32_t kFormatPlanar = 1;

// One audio format. Every AudioFile holds two: the file's own and the client's, the
// format its caller reads and writes in.
struct AudioFormat {
    float sampleRate = 44100.0f;
    int16_t bits = 16;
    int16_t bytesPerFrame = 2;
    int32_t sampleType = kSampleSigned;
    int32_t formatFlags = 0;
    int16_t channels = 1;

    bool operator==(const AudioFormat&) const = default;
};
