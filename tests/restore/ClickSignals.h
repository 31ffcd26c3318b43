#pragma once

// Test material for the repair stages, shared by their tests and benchmarks: a bed of
// several sines with low noise, clicks of three shapes at random places, and the
// measures of how well a repair brought the signal back.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace click_signals {

constexpr double kRate = 44100.0;
constexpr double kNoiseRms = 0.002; // about −54 dBFS

enum class Shape {
    Spike,  // one sample
    Burst,  // 2 to 8 samples decaying with alternating sign
    Smooth, // a raised-cosine bump of 10 to 40 samples
};

struct Click {
    int32_t start = 0;
    int32_t length = 0;
};

struct ClickedSignal {
    std::vector<float> clean;
    std::vector<float> dirty;
    std::vector<Click> clicks;
};

// Four sines (196, 587, 1760 and 4200 Hz, peaks adding to 0.44) and Gaussian noise,
// faded in over the first kFadeIn samples as a recording begins (an abrupt start from
// silence is a click of its own).
constexpr int32_t kFadeIn = 2048;

inline std::vector<float> musicBed(int32_t count, uint32_t seed, double noiseRms = kNoiseRms) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, noiseRms);
    const double tones[4][2] = {{196.0, 0.25}, {587.0, 0.12}, {1760.0, 0.05}, {4200.0, 0.02}};
    std::vector<float> out(count);
    for (int32_t i = 0; i < count; ++i) {
        double v = noise(random);
        for (const auto& tone : tones) {
            v += tone[1] * std::sin(2.0 * std::numbers::pi * tone[0] * i / kRate + tone[0]);
        }
        if (i < kFadeIn) {
            v *= 0.5 - 0.5 * std::cos(std::numbers::pi * i / kFadeIn);
        }
        out[i] = static_cast<float>(v);
    }
    return out;
}

// `clicks` places between `from` and count − `from`, at least `spacing` apart, in order.
inline std::vector<int32_t> spacedPlaces(std::mt19937& random, int32_t count, int32_t clicks,
                                         int32_t from, int32_t spacing) {
    std::uniform_int_distribution<int32_t> place(from, count - from);
    std::vector<int32_t> starts;
    while (static_cast<int32_t>(starts.size()) < clicks) {
        const int32_t at = place(random);
        if (std::none_of(starts.begin(), starts.end(),
                         [&](int32_t s) { return std::abs(s - at) < spacing; })) {
            starts.push_back(at);
        }
    }
    std::sort(starts.begin(), starts.end());
    return starts;
}

// `clicks` clicks of `shape` with peaks of 0.3 to 1.0 and random sign, at random places
// between `from` and count − `from`, at least `spacing` samples apart; the sum is held
// to ±1.0 as a 16-bit recording would be.
inline ClickedSignal withClicks(std::vector<float> clean, Shape shape, int32_t clicks,
                                uint32_t seed, int32_t from = 8192, int32_t spacing = 600) {
    std::mt19937 random(seed);
    const int32_t count = static_cast<int32_t>(clean.size());
    std::uniform_real_distribution<double> peak(0.3, 1.0);
    std::bernoulli_distribution negative(0.5);
    std::uniform_int_distribution<int32_t> burstLength(2, 8);
    std::uniform_int_distribution<int32_t> smoothLength(10, 40);

    ClickedSignal signal{clean, clean, {}};
    for (int32_t start : spacedPlaces(random, count, clicks, from, spacing)) {
        const double amplitude = peak(random) * (negative(random) ? -1.0 : 1.0);
        int32_t length = 1;
        if (shape == Shape::Burst) {
            length = burstLength(random);
        } else if (shape == Shape::Smooth) {
            length = smoothLength(random);
        }
        for (int32_t k = 0; k < length; ++k) {
            double v = amplitude;
            if (shape == Shape::Burst) {
                v = amplitude * std::pow(-0.7, k);
            } else if (shape == Shape::Smooth) {
                const double s = std::sin(std::numbers::pi * (k + 0.5) / length);
                v = amplitude * s * s;
            }
            float& sample = signal.dirty[start + k];
            sample = static_cast<float>(std::clamp(sample + v, -1.0, 1.0));
        }
        signal.clicks.push_back({start, length});
    }
    return signal;
}

constexpr int32_t kRegionMargin = 8;

inline double errorEnergy(const std::vector<float>& clean, const std::vector<float>& signal,
                          int32_t lag, int32_t from, int32_t to) {
    double sum = 0.0;
    for (int32_t n = from; n < to; ++n) {
        const double d = static_cast<double>(signal[n + lag]) - clean[n];
        sum += d * d;
    }
    return sum;
}

inline double changeDb(double after, double before) {
    return 10.0 * std::log10(std::max(after, 1e-30) / std::max(before, 1e-30));
}

// How a repaired signal compares with the clean one, pooled over every signal scored into
// it. `output` lags by `latency`.
struct Score {
    int32_t clicks = 0;
    int32_t repaired = 0;        // clicks whose own error fell to `repairedBelow` of itself
    double before = 0.0;         // error around the clicks (kRegionMargin), before
    double after = 0.0;          // and after
    double regionChangeDb = 0.0; // after against before
    double wholeChangeDb = 0.0;  // error over the whole compared span of the last signal
};

inline Score score(const ClickedSignal& signal, const std::vector<float>& output, int32_t latency,
                   double repairedBelow = 0.1, Score result = {}) {
    for (const Click& click : signal.clicks) {
        const int32_t end = click.start + click.length;
        const double own = errorEnergy(signal.clean, signal.dirty, 0, click.start, end);
        const double fixed = errorEnergy(signal.clean, output, latency, click.start, end);
        result.repaired += fixed <= repairedBelow * own ? 1 : 0;
        result.before += errorEnergy(signal.clean, signal.dirty, 0, click.start - kRegionMargin,
                                     end + kRegionMargin);
        result.after += errorEnergy(signal.clean, output, latency, click.start - kRegionMargin,
                                    end + kRegionMargin);
        ++result.clicks;
    }
    result.regionChangeDb = changeDb(result.after, result.before);
    const int32_t span = static_cast<int32_t>(output.size()) - latency;
    result.wholeChangeDb = changeDb(errorEnergy(signal.clean, output, latency, 0, span),
                                    errorEnergy(signal.clean, signal.dirty, 0, 0, span));
    return result;
}

} // namespace click_signals
