#pragma once

// Synthetic record sides for the split tests: music-like songs (notes of a few harmonics
// with attack and decay, over soft noise) separated by gaps of quiet hiss with clicks in
// them, and the frame where each song truly starts.

#include <cmath>
#include <cstdint>
#include <vector>

namespace SplitTest {

constexpr int32_t kRate = 44100;

struct Side {
    std::vector<int16_t> samples; // interleaved stereo
    std::vector<int32_t> songStarts;
    int32_t frames() const { return static_cast<int32_t>(samples.size() / 2); }
};

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

    // A song of notes every quarter second, peaking near -4 dBFS.
    SideBuilder& song(double seconds) {
        const int32_t frames = static_cast<int32_t>(seconds * kRate);
        side_.songStarts.push_back(side_.frames());
        const int32_t noteFrames = kRate / 4;
        double frequency = 220.0;
        for (int32_t f = 0; f < frames; ++f) {
            const int32_t inNote = f % noteFrames;
            if (inNote == 0) {
                frequency = 110.0 * std::pow(2.0, (next() % 36) / 12.0);
            }
            // 5 ms attack, then a decay that stays well above the silence threshold.
            const double attack = std::min(1.0, inNote / (0.005 * kRate));
            const double envelope = attack * (0.35 + 0.65 * std::exp(-inNote / (0.1 * kRate)));
            const double t = static_cast<double>(f) / kRate;
            const double tone = std::sin(2 * M_PI * frequency * t) +
                                0.4 * std::sin(4 * M_PI * frequency * t) +
                                0.2 * std::sin(6 * M_PI * frequency * t);
            const double value = 12000.0 * envelope * tone;
            push(static_cast<int16_t>(value + noise(200)),
                 static_cast<int16_t>(0.8 * value + noise(200)));
        }
        return *this;
    }

    Side build() const { return side_; }

private:
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
};

} // namespace SplitTest
