#pragma once

// CD images for the CD tests: a CUE sheet and its BIN (named alike, as libcdio expects)
// with known audio. Each audio track holds a sine of its own frequency on the left and
// reproducible noise on the right (noise shows any byte-order slip); a data track holds
// MODE1/2352 sectors. A track may have a pregap (INDEX 00) before its INDEX 01.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace CdTest {

constexpr int32_t kSectorSamples = 1176; // 588 stereo frames
constexpr int32_t kSectorBytes = 2352;

struct Track {
    int32_t sectors;    // from its INDEX 01 to the next track's INDEX 00
    bool data = false;  // MODE1/2352
    int32_t pregap = 0; // INDEX 00 sectors before its INDEX 01
};

class CdImage {
public:
    // Writes "<folder>/<name>.cue" and "<folder>/<name>.bin".
    CdImage(const std::string& folder, const std::string& name, std::vector<Track> tracks)
        : tracks_(std::move(tracks)), cue_(folder + "/" + name + ".cue"),
          bin_(folder + "/" + name + ".bin") {
        uint32_t seed = 12345;
        int32_t sector = 0;
        std::string sheet = "FILE \"" + name + ".bin\" BINARY\n";
        for (size_t t = 0; t < tracks_.size(); ++t) {
            const Track& track = tracks_[t];
            char line[96];
            std::snprintf(line, sizeof line, "  TRACK %02zu %s\n", t + 1,
                          track.data ? "MODE1/2352" : "AUDIO");
            sheet += line;
            if (track.pregap > 0) {
                sheet += "    INDEX 00 " + msf(sector) + "\n";
            }
            for (int32_t s = 0; s < track.pregap; ++s, ++sector) {
                appendSector(track, t, sector, seed);
            }
            starts_.push_back(sector);
            sheet += "    INDEX 01 " + msf(sector) + "\n";
            for (int32_t s = 0; s < track.sectors; ++s, ++sector) {
                appendSector(track, t, sector, seed);
            }
        }
        std::ofstream(cue_, std::ios::binary) << sheet;
        std::ofstream(bin_, std::ios::binary)
            .write(reinterpret_cast<const char*>(samples_.data()),
                   static_cast<std::streamsize>(samples_.size() * 2));
    }

    const std::string& cuePath() const { return cue_; }
    const std::string& binPath() const { return bin_; }
    int32_t trackCount() const { return static_cast<int32_t>(tracks_.size()); }
    // Sector of track `number`'s INDEX 01 (tracks count from 1).
    int32_t start(int32_t number) const { return starts_[static_cast<size_t>(number - 1)]; }
    // Sectors up to the next track's INDEX 01 (its pregap belongs to this track's copy).
    int32_t length(int32_t number) const {
        const size_t next = static_cast<size_t>(number);
        return (next < starts_.size() ? starts_[next] : totalSectors()) - start(number);
    }
    int32_t totalSectors() const { return static_cast<int32_t>(samples_.size() / kSectorSamples); }
    // The interleaved samples of `count` sectors from sector `first`.
    std::vector<int16_t> samples(int32_t first, int32_t count) const {
        const auto begin = samples_.begin() + static_cast<std::ptrdiff_t>(first) * kSectorSamples;
        return {begin, begin + static_cast<std::ptrdiff_t>(count) * kSectorSamples};
    }
    std::vector<int16_t> trackSamples(int32_t number) const {
        return samples(start(number), length(number));
    }

private:
    static std::string msf(int32_t sector) {
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", sector / 4500, sector / 75 % 60,
                      sector % 75);
        return text;
    }

    void appendSector(const Track& track, size_t index, int32_t sector, uint32_t& seed) {
        const size_t at = samples_.size();
        samples_.resize(at + kSectorSamples, 0);
        int16_t* out = samples_.data() + at;
        if (track.data) {
            // Sync pattern and header; the rest stays zero.
            auto* bytes = reinterpret_cast<uint8_t*>(out);
            for (int i = 1; i <= 10; ++i) {
                bytes[i] = 0xFF;
            }
            bytes[15] = 1;
            return;
        }
        const double frequency = 220.0 * static_cast<double>(index + 1);
        for (int32_t f = 0; f < kSectorSamples / 2; ++f) {
            const double time = (static_cast<double>(sector) * 588 + f) / 44100.0;
            out[2 * f] = static_cast<int16_t>(12000.0 * std::sin(2 * M_PI * frequency * time));
            seed = seed * 1103515245u + 12345u;
            out[2 * f + 1] = static_cast<int16_t>(seed >> 16);
        }
    }

    std::vector<Track> tracks_;
    std::string cue_;
    std::string bin_;
    std::vector<int32_t> starts_;
    std::vector<int16_t> samples_;
};

} // namespace CdTest
