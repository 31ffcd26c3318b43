#pragma once

#include "EncodedFileWriter.h"

#include <cstdint>
#include <optional>
#include <string>

// The tags of an exported title: names, its place in the album, ReplayGain values and the
// album's cover picture.
struct AudioTags {
    // A ReplayGain pair: the gain in dB that brings the audio to the reference loudness,
    // and its peak (full scale 1.0).
    struct Gain {
        double gainDb = 0.0;
        double peak = 0.0;
    };

    std::string title;
    std::string artist;
    std::string album;
    int32_t track = 0;
    int32_t trackCount = 0;
    std::optional<Gain> trackGain;
    std::optional<Gain> albumGain;
    // The picture's bytes (JPEG or PNG) and its MIME type; none when empty.
    std::string picture;
    std::string pictureMime;
};

// Writes tags into a finished file with TagLib, in each format's own way: Vorbis comments
// with a picture block in FLAC and Opus (which also carries the R128 gains of its own
// convention), ID3v2.4 in MP3, an ID3v2 chunk and a RIFF INFO list in WAVE. Tags the file
// had are replaced. Texts are UTF-8; numbers are written the same in every locale.
namespace AudioTagWriter {

bool write(const std::string& path, EncodedFormat format, const AudioTags& tags);

// "image/jpeg" or "image/png" by the picture's first bytes; "" for anything else.
std::string pictureMime(const std::string& bytes);

} // namespace AudioTagWriter
