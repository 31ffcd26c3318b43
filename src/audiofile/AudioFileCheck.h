#pragma once

#include "AudioFileTypes.h"
#include "AudioOpenResult.h"

#include <cstdint>

// What AudioFile::check finds in a file: why it does or does not open, and its format
// when it does (all zero otherwise). `headerFrames` is what the header claims, more than
// `frames` in a file cut short.
struct AudioFileCheck {
    AudioOpenResult result = AudioOpenResult::kMissing;
    int32_t frames = 0;
    int32_t headerFrames = 0;
    float sampleRate = 0.0f;
    int16_t channels = 0;
    int16_t bits = 0;
    int32_t kind = kAudioKindUnknown;
};
