#pragma once

#include "TpdfDither.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class SoxrResampler;

// The formats a title leaves the program in: WAVE and FLAC (lossless: they decode to
// exactly the 16-bit frames written), Opus in Ogg (about 160 kbit/s, at 48 kHz, its own
// rate) and MP3 (192 kbit/s).
enum class EncodedFormat { kWave, kFlac, kOpus, kMp3 };

namespace EncodedFormats {
// "wav", "flac", "opus", "mp3": the command line's names and the files' extensions.
const char* name(EncodedFormat format);
std::optional<EncodedFormat> fromName(const std::string& name);
bool lossless(EncodedFormat format);
} // namespace EncodedFormats

// Writes interleaved frames at 44 100 Hz as a file of one of those formats through
// libsndfile, with title and artist tags in a FLAC file's header (the other formats are
// tagged afterwards, AudioTagWriter). 16-bit frames go into a lossless file as they are;
// float frames (full scale 1.0) are dithered to 16 bits for it, and a lossy coder takes
// floats, converted to 48 kHz for Opus. Buffers are made in create(); write() allocates
// nothing. Not thread-safe: one object, one thread.
class EncodedFileWriter {
public:
    ~EncodedFileWriter();
    EncodedFileWriter(const EncodedFileWriter&) = delete;
    EncodedFileWriter& operator=(const EncodedFileWriter&) = delete;

    // Creates (or replaces) `path`; null when it cannot be made.
    static std::unique_ptr<EncodedFileWriter> create(const std::string& path, EncodedFormat format,
                                                     int32_t sampleRate, int32_t channels,
                                                     const std::string& title = {},
                                                     const std::string& artist = {});

    // False when not every frame could be written (a full disk).
    bool write(const int16_t* interleaved, int64_t frames);
    bool write(const float* interleaved, int64_t frames);
    // Finishes the file; false when that failed. Called by the destructor otherwise.
    bool close();

private:
    static constexpr int64_t kPiece = 4096;

    EncodedFileWriter(void* handle, EncodedFormat format, int32_t channels);
    bool writeFloatPiece(const float* interleaved, int64_t frames);
    bool writeFile(const float* interleaved, int64_t frames);
    bool drainResampler();

    void* handle_;
    EncodedFormat format_;
    int32_t channels_;
    TpdfDither dither_{true};
    std::unique_ptr<SoxrResampler> resampler_;
    std::vector<float> floats_;
    std::vector<float> resampled_;
    std::vector<int16_t> shorts_;
};
