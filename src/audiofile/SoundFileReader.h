#pragma once

#include "SoundFileInfo.h"

#include <cstdint>
#include <memory>
#include <string>

// Reads the audio files the decoding library knows (WAVE in every coding, FLAC, Ogg
// Vorbis, Opus, MP3, AIFF, ...) as interleaved 32-bit float frames in -1.0 .. 1.0 (lossy
// decoders may overshoot a little). Integer samples of n bits come as v / 2^(n-1).
// The open file is closed by the destructor. Not thread-safe: one object, one thread.
class SoundFileReader {
public:
    ~SoundFileReader();
    SoundFileReader(const SoundFileReader&) = delete;
    SoundFileReader& operator=(const SoundFileReader&) = delete;

    // Null when the file cannot be opened or decoded, or says it holds no frames.
    static std::unique_ptr<SoundFileReader> open(const std::string& path);

    const SoundFileInfo& info() const { return info_; }
    // Reads up to `frames` frames; the frames read, 0 at the end, -1 on a decoding error.
    int64_t readFloat(float* interleaved, int64_t frames);
    // The file's title and artist tags ("" when absent).
    std::string title() const;
    std::string artist() const;

    // Whether the installed decoding library decodes Opus (asked of the library itself).
    static bool opusSupported();
    // The library's name and version, for reports.
    static std::string libraryVersion();

private:
    explicit SoundFileReader(void* handle) : handle_(handle) {}
    std::string tag(int which) const;

    void* handle_;
    SoundFileInfo info_;
};
