#include "WornRecord.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace {

constexpr double kRate = 44100.0;
constexpr double kChordSeconds = 2.0;
// The peak of the three notes summed, before they are scaled to the music's peak.
constexpr double kMusicScale = 3.2;

// Root, third and fifth of four chords (A minor, F, C, G), in Hz.
constexpr double kChords[4][3] = {{220.00, 261.63, 329.63},
                                  {174.61, 220.00, 261.63},
                                  {261.63, 329.63, 392.00},
                                  {196.00, 246.94, 293.66}};

// The music of one channel at frame `i`, peaking near `peak`: each note with two
// overtones, a soft attack and a slow decay per chord; the channels hear the notes in
// different proportions.
double music(int32_t i, int channel, double peak) {
    const double t = i / kRate;
    const auto chord = static_cast<int>(t / kChordSeconds) % 4;
    const double inChord = std::fmod(t, kChordSeconds);
    // Soft in and out, so the chord changes themselves make no click.
    const double envelope = std::min(inChord / 0.08, 1.0) *
                            std::min((kChordSeconds - inChord) / 0.2, 1.0) *
                            std::exp(-0.6 * inChord);
    double v = 0.0;
    for (int note = 0; note < 3; ++note) {
        const double f = kChords[chord][note];
        const double balance = channel == 0 ? 1.0 - 0.25 * note : 0.5 + 0.25 * note;
        const double phase = 2.0 * std::numbers::pi * f * t;
        v +=
            balance * (std::sin(phase) + 0.3 * std::sin(2.0 * phase) + 0.1 * std::sin(3.0 * phase));
    }
    return peak / kMusicScale * envelope * v;
}

// Rumble at frame `i`: two slow tones of the drive and the platter, of `rms` together,
// the right channel nearly opposite the left (the stylus moves up and down).
double rumble(int32_t i, int channel, double rms) {
    const double t = i / kRate;
    const double v = std::sin(2.0 * std::numbers::pi * 16.5 * t) +
                     std::sin(2.0 * std::numbers::pi * 27.0 * t + 1.0);
    return (channel == 0 ? rms : -0.8 * rms) * v;
}

int16_t toSample(float v) {
    return static_cast<int16_t>(
        std::lround(std::clamp(static_cast<double>(v), -1.0, 32767.0 / 32768.0) * 32768.0));
}

} // namespace

WornRecordDamage makeWornRecord(const WornRecordOptions& options, std::vector<int16_t>& samples) {
    const int32_t frames = std::max(options.frames, 0);
    std::vector<float> mix(static_cast<size_t>(frames) * 2);
    std::mt19937 random(options.seed);
    std::normal_distribution<double> hiss(0.0, std::max(options.hissRms, 1.0e-9));
    for (int32_t i = 0; i < frames; ++i) {
        for (int channel = 0; channel < 2; ++channel) {
            mix[static_cast<size_t>(i) * 2 + channel] = static_cast<float>(
                (options.musicPeak != 0.0 ? music(i, channel, options.musicPeak) : 0.0) +
                rumble(i, channel, options.rumbleRms) +
                (options.hissRms > 0.0 ? hiss(random) : 0.0));
        }
    }

    WornRecordDamage damage;
    // Clicks: a scratch across the groove, heard on both channels with one shape.
    const auto clicks = static_cast<int32_t>(options.clicksPerSecond * frames / kRate);
    const int32_t span = frames - 2 * kWornRecordClickSpacing;
    if (span > 0 && clicks > 0) {
        std::uniform_int_distribution<int32_t> length(2, 6);
        std::uniform_real_distribution<double> peak(0.4, 0.9);
        std::bernoulli_distribution negative(0.5);
        // Evenly spread, each moved at random within its own stretch, so none crowd.
        const int32_t stretch = span / clicks;
        for (int32_t k = 0; k < clicks && stretch > kWornRecordClickSpacing; ++k) {
            std::uniform_int_distribution<int32_t> within(0, stretch - kWornRecordClickSpacing);
            const int32_t start = kWornRecordClickSpacing + k * stretch + within(random);
            const int32_t n = length(random);
            float amplitude = static_cast<float>(negative(random) ? -peak(random) : peak(random));
            for (int32_t j = 0; j < n; ++j, amplitude *= -0.6f) {
                mix[static_cast<size_t>(start + j) * 2] += amplitude;
                mix[static_cast<size_t>(start + j) * 2 + 1] += 0.8f * amplitude;
            }
            damage.clickFrames.push_back(start);
        }
    }
    // Crackle: many faint ticks of dust, each on one channel.
    const auto crackles = static_cast<int32_t>(options.cracklesPerSecond * frames / kRate);
    if (frames > 2 && crackles > 0) {
        std::uniform_int_distribution<int32_t> place(0, frames - 2);
        std::uniform_real_distribution<double> peak(0.05, 0.2);
        std::bernoulli_distribution coin(0.5);
        for (int32_t k = 0; k < crackles; ++k) {
            const int32_t at = place(random);
            const int channel = coin(random) ? 1 : 0;
            const auto amplitude = static_cast<float>(coin(random) ? -peak(random) : peak(random));
            mix[static_cast<size_t>(at) * 2 + channel] += amplitude;
            if (coin(random)) {
                mix[static_cast<size_t>(at + 1) * 2 + channel] -= 0.5f * amplitude;
            }
        }
        damage.crackles = crackles;
    }

    samples.resize(mix.size());
    std::transform(mix.begin(), mix.end(), samples.begin(), toSample);
    return damage;
}
