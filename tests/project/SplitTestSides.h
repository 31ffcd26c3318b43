#pragma once

// Synthetic record sides for the split tests: music-like songs (notes of a few harmonics
// with attack and decay, over soft noise) separated by gaps of quiet hiss with clicks in
// them, and the frame where each song truly starts. Songs of a given loudness and shape
// and stretches of digital silence make clean sides that a test damages afterwards with
// the worn-record generator's hiss, pops, crackle and rumble (WornRecord, of gleam-cli
// generate: a test using worn() compiles src/main/cli/WornRecord.cpp in), and a side of
// real recordings (sonic-pi-samples, CC0) has a real record's surface noise.

#include "RunTestSupport.h"
#include "WornRecord.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace SplitTest {

constexpr int32_t kRate = 44100;

struct Side {
    std::vector<int16_t> samples; // interleaved stereo
    std::vector<int32_t> songStarts;
    // Where each song's last sound ends (its fade included).
    std::vector<int32_t> songEnds;
    int32_t frames() const { return static_cast<int32_t>(samples.size() / 2); }
};

// The level of a song over its length, beyond its loudness.
struct SongShape {
    double fadeOutSeconds = 0.0; // fades to nothing at its end (linear in amplitude)
    double pauseAt = -1.0;       // seconds from its start of a pause of digital silence
    double pauseSeconds = 0.0;
    double quietAt = -1.0; // seconds from its start of a passage `quietDb` softer
    double quietSeconds = 0.0;
    double quietDb = 0.0;
};

// A recording, decoded, its silent lead-in and tail (below -60 dB of its peak) left off,
// `repeat` times in a row; empty when it cannot be read.
inline std::vector<int16_t> recordedExcerpt(const std::string& path, int32_t repeat = 1) {
    const std::vector<int16_t> all = RunTest::decoded(path);
    if (all.empty()) {
        return {};
    }
    int32_t peak = 1;
    for (int16_t v : all) {
        peak = std::max(peak, std::abs(int32_t{v}));
    }
    auto audible = [&](int16_t v) { return std::abs(int32_t{v}) * 1000 > peak; };
    const auto first = std::find_if(all.begin(), all.end(), audible) - all.begin();
    const auto last = all.rend() - std::find_if(all.rbegin(), all.rend(), audible);
    std::vector<int16_t> excerpt;
    for (int32_t r = 0; r < repeat; ++r) {
        excerpt.insert(excerpt.end(), all.begin() + (first & ~1), all.begin() + ((last + 1) & ~1));
    }
    return excerpt;
}

inline int16_t clipped(double v) {
    return static_cast<int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
}

class SideBuilder {
public:
    explicit SideBuilder(uint32_t seed = 1) : seed_(seed) {}

    // Quiet hiss (about -66 dBFS) with `clicks` impulses of a few samples spread over it.
    SideBuilder& gap(double seconds, int32_t clicks = 3, int16_t clickLevel = 20000) {
        const int32_t frames = static_cast<int32_t>(seconds * kRate);
        const int32_t first = side_.frames();
        for (int32_t f = 0; f < frames; ++f) {
            push(noise(16), noise(16));
        }
        for (int32_t c = 0; c < clicks; ++c) {
            const int32_t at = first + (c + 1) * frames / (clicks + 1);
            const int32_t width = 2 + c % 4;
            for (int32_t w = 0; w < width && at + w < side_.frames(); ++w) {
                const int16_t value = static_cast<int16_t>(w % 2 ? -clickLevel : clickLevel);
                side_.samples[2 * static_cast<size_t>(at + w)] = value;
                side_.samples[2 * static_cast<size_t>(at + w) + 1] = value;
            }
        }
        return *this;
    }

    // A song of notes every quarter second, peaking near -4 dBFS, over soft noise.
    SideBuilder& song(double seconds) {
        const int32_t frames = static_cast<int32_t>(seconds * kRate);
        side_.songStarts.push_back(side_.frames());
        for (int32_t f = 0; f < frames; ++f) {
            const double value = 12000.0 * note(f);
            push(static_cast<int16_t>(value + noise(200)),
                 static_cast<int16_t>(0.8 * value + noise(200)));
        }
        side_.songEnds.push_back(side_.frames());
        return *this;
    }

    // A song of the same notes, alone, at `rmsDb` dBFS RMS (over its loud part), shaped.
    SideBuilder& song(double seconds, double rmsDb, const SongShape& shape) {
        const auto frames = static_cast<int32_t>(seconds * kRate);
        std::vector<double> left(static_cast<size_t>(frames));
        std::vector<double> right(left.size());
        double power = 0.0;
        for (int32_t f = 0; f < frames; ++f) {
            const double value = note(f);
            left[static_cast<size_t>(f)] = value;
            right[static_cast<size_t>(f)] = 0.8 * value;
            power += value * value * 0.82;
        }
        const double gain = std::pow(10.0, rmsDb / 20.0) * 32768.0 / std::sqrt(power / frames);
        side_.songStarts.push_back(side_.frames());
        for (int32_t f = 0; f < frames; ++f) {
            const double g = gain * shapeGain(shape, f, frames);
            push(clipped(g * left[static_cast<size_t>(f)]),
                 clipped(g * right[static_cast<size_t>(f)]));
        }
        side_.songEnds.push_back(side_.frames());
        return *this;
    }

    // Recorded music (interleaved stereo) brought to `rmsDb` dBFS RMS, as one song.
    SideBuilder& recording(const std::vector<int16_t>& samples, double rmsDb) {
        double power = 0.0;
        for (int16_t v : samples) {
            power += static_cast<double>(v) * v;
        }
        const double gain =
            std::pow(10.0, rmsDb / 20.0) * 32768.0 / std::sqrt(power / samples.size() + 1e-9);
        side_.songStarts.push_back(side_.frames());
        for (int16_t v : samples) {
            side_.samples.push_back(clipped(gain * v));
        }
        side_.songEnds.push_back(side_.frames());
        return *this;
    }

    // Digital silence: the damage a test adds is all there is to hear.
    SideBuilder& silence(double seconds) {
        side_.samples.resize(side_.samples.size() + 2 * static_cast<size_t>(seconds * kRate));
        return *this;
    }

    Side build() const { return side_; }

private:
    // Notes every quarter second, with a 5 ms attack and a decay that stays well above
    // any gap (full scale about 1.6).
    double note(int32_t f) {
        const int32_t noteFrames = kRate / 4;
        const int32_t inNote = f % noteFrames;
        if (inNote == 0) {
            frequency_ = 110.0 * std::pow(2.0, (next() % 36) / 12.0);
        }
        const double attack = std::min(1.0, inNote / (0.005 * kRate));
        const double envelope = attack * (0.35 + 0.65 * std::exp(-inNote / (0.1 * kRate)));
        const double t = static_cast<double>(f) / kRate;
        return envelope *
               (std::sin(2 * M_PI * frequency_ * t) + 0.4 * std::sin(4 * M_PI * frequency_ * t) +
                0.2 * std::sin(6 * M_PI * frequency_ * t));
    }
    static double shapeGain(const SongShape& shape, int32_t f, int32_t frames) {
        const double t = static_cast<double>(f) / kRate;
        const double left = static_cast<double>(frames - f) / kRate;
        double gain = 1.0;
        if (left < shape.fadeOutSeconds) {
            gain *= left / shape.fadeOutSeconds;
        }
        if (t >= shape.pauseAt && t < shape.pauseAt + shape.pauseSeconds) {
            gain = 0.0;
        }
        if (t >= shape.quietAt && t < shape.quietAt + shape.quietSeconds) {
            gain *= std::pow(10.0, -shape.quietDb / 20.0);
        }
        return gain;
    }
    uint32_t next() {
        seed_ = seed_ * 1664525u + 1013904223u;
        return seed_ >> 8;
    }
    int16_t noise(int32_t amplitude) {
        return static_cast<int16_t>(static_cast<int32_t>(next() % (2 * amplitude + 1)) - amplitude);
    }
    void push(int16_t left, int16_t right) {
        side_.samples.push_back(left);
        side_.samples.push_back(right);
    }

    Side side_;
    uint32_t seed_;
    double frequency_ = 220.0;
};

constexpr const char* kRecordings = "/usr/share/sonic-pi/samples/";
constexpr const char* kNoRecordings =
    "the recordings of sonic-pi-samples are not installed (/usr/share/sonic-pi/samples); "
    "scripts/install-deps installs them";

inline double rms(double db) {
    return std::pow(10.0, db / 20.0);
}

// Hiss at `db` dBFS RMS, pops (0.4 to 0.9 of full scale) and crackle per second, and
// rumble at `rumbleDb` dBFS RMS.
inline WornRecordOptions hiss(double db, double popsPerSecond = 0.0, double cracklesPerSecond = 0.0,
                              double rumbleDb = -300.0) {
    WornRecordOptions options;
    options.hissRms = rms(db);
    options.clicksPerSecond = popsPerSecond;
    options.cracklesPerSecond = cracklesPerSecond;
    options.rumbleRms = rms(rumbleDb);
    return options;
}

// The side with the damage of a worn record or tape (WornRecord without its music) added;
// what was made goes to `made`, when given.
inline Side worn(Side side, WornRecordOptions options, WornRecordDamage* made = nullptr) {
    options.frames = side.frames();
    options.musicPeak = 0.0;
    std::vector<int16_t> noise;
    const WornRecordDamage damage = makeWornRecord(options, noise);
    if (made) {
        *made = damage;
    }
    for (size_t i = 0; i < side.samples.size(); ++i) {
        side.samples[i] = clipped(static_cast<double>(side.samples[i]) + noise[i]);
    }
    return side;
}

// A real record's surface noise (a recording of one, looped) at `db` dBFS RMS, added.
inline bool addSurfaceNoise(Side& side, double db) {
    const auto noise = recordedExcerpt(std::string(kRecordings) + "vinyl_hiss.flac");
    if (noise.empty()) {
        return false;
    }
    double power = 0.0;
    for (int16_t v : noise) {
        power += static_cast<double>(v) * v;
    }
    const double gain = rms(db) * 32768.0 / std::sqrt(power / noise.size());
    for (size_t i = 0; i < side.samples.size(); ++i) {
        side.samples[i] = clipped(side.samples[i] + gain * noise[i % noise.size()]);
    }
    return true;
}

// A side of four real recordings (drums, a guitar chord ringing out, tabla, a synthesizer
// loop) at -22 to -18 dBFS RMS with gaps of 2 to 3 s, under a real record's surface noise
// (-52 dBFS RMS), pops, crackle and rumble; empty when the recordings are not installed.
inline Side recordedSide() {
    const std::string at = kRecordings;
    const auto drums = recordedExcerpt(at + "loop_amen_full.flac", 2);
    const auto guitar = recordedExcerpt(at + "guit_em9.flac");
    const auto tabla = recordedExcerpt(at + "loop_tabla.flac");
    const auto synth = recordedExcerpt(at + "loop_garzul.flac");
    if (drums.empty() || guitar.empty() || tabla.empty() || synth.empty()) {
        return {};
    }
    Side side = worn(SideBuilder(11)
                         .silence(2.0)
                         .recording(drums, -18)
                         .silence(2.5)
                         .recording(guitar, -22)
                         .silence(2.0)
                         .recording(tabla, -21)
                         .silence(3.0)
                         .recording(synth, -19)
                         .silence(2.0)
                         .build(),
                     hiss(-300, 1.5, 30.0, -45));
    return addSurfaceNoise(side, -52) ? side : Side{};
}

} // namespace SplitTest
