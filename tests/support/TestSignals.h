#pragma once

// The signal library of the tests: tones, noise and worn material (music under hiss with
// clicks), made in code and reproducible from their parameters.

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace TestSignals {

// Interleaved sine, the same on every channel, full scale 1.0.
inline std::vector<float> sine(int64_t frames, int channels, double frequency, double rate,
                               double amplitude) {
    std::vector<float> out(static_cast<size_t>(frames * channels));
    for (int64_t i = 0; i < frames; ++i) {
        const auto v = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency *
                                                               static_cast<double>(i) / rate));
        for (int c = 0; c < channels; ++c) {
            out[static_cast<size_t>(i * channels + c)] = v;
        }
    }
    return out;
}

// Interleaved 16-bit sine, the same on every channel (`amplitude` in sample steps).
inline std::vector<int16_t> sine16(int64_t frames, int channels, double frequency, double rate,
                                   double amplitude) {
    std::vector<int16_t> out(static_cast<size_t>(frames * channels));
    for (int64_t i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2.0 * std::numbers::pi * frequency *
                                             static_cast<double>(i) / rate)));
        for (int c = 0; c < channels; ++c) {
            out[static_cast<size_t>(i * channels + c)] = v;
        }
    }
    return out;
}

// 16-bit stereo at 44.1 kHz: one sine with a peak of its own on each channel.
inline std::vector<int16_t> stereoSine16(int64_t frames, double frequency, double left,
                                         double right) {
    std::vector<int16_t> out(2 * static_cast<size_t>(frames));
    for (int64_t i = 0; i < frames; ++i) {
        const double s =
            std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / 44100.0);
        out[2 * static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(left * s));
        out[2 * static_cast<size_t>(i) + 1] = static_cast<int16_t>(std::lround(right * s));
    }
    return out;
}

// Reproducible 16-bit white noise over the full range.
inline std::vector<int16_t> noise16(int64_t samples, uint32_t seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> distribution(-32768, 32767);
    std::vector<int16_t> out(static_cast<size_t>(samples));
    for (auto& s : out) {
        s = static_cast<int16_t>(distribution(generator));
    }
    return out;
}

// Worn material, 16-bit stereo at 44.1 kHz: two tones of music (220 and 1 320 Hz, the
// right channel at 0.8) under hiss of `hissRms` steps, and `clicks` clicks of ±24 000 on
// both channels at random places away from the ends.
inline std::vector<int16_t> wornMusic16(int32_t frames, int clicks, double hissRms = 100.0,
                                        uint32_t seed = 5) {
    std::mt19937 random(seed);
    std::normal_distribution<double> hiss(0.0, hissRms);
    std::uniform_int_distribution<int32_t> place(4096, frames - 4096);
    std::vector<int16_t> out(2 * static_cast<size_t>(frames));
    for (int32_t i = 0; i < frames; ++i) {
        const double t = i / 44100.0;
        const double music = 6000.0 * std::sin(2 * std::numbers::pi * 220.0 * t) +
                             3000.0 * std::sin(2 * std::numbers::pi * 1320.0 * t);
        out[2 * static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(music + hiss(random)));
        out[2 * static_cast<size_t>(i) + 1] =
            static_cast<int16_t>(std::lround(0.8 * music + hiss(random)));
    }
    for (int k = 0; k < clicks; ++k) {
        const auto at = static_cast<size_t>(place(random));
        out[2 * at] = 24000;
        out[2 * at + 1] = -24000;
    }
    return out;
}

} // namespace TestSignals
