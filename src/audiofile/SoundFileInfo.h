#pragma once

#include <cstdint>
#include <string>

// What a compressed or foreign audio file holds, as its decoder reports it.
struct SoundFileInfo {
    int64_t frames = 0;
    int32_t sampleRate = 0;
    int32_t channels = 0;
    // Integer PCM of at most 16 bits: its float samples are exact multiples of 1/32768, so
    // bringing them to 16 bits needs no dither.
    bool atMost16Bits = false;
    // "WAVE", "FLAC", "Ogg Vorbis", "Opus", "MP3" and so on.
    std::string formatName;
};
