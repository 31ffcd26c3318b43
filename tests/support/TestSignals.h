#pragma once

// The signal library of the tests, made in code and reproducible from its parameters: tones
// and noise, music (tones, drums, struck notes), worn material (music under hiss with
// clicks), clicks, bursts and crackle with the clean signal kept, and the measures of
// level and repair the restoration tests make on them. Float signals are one channel at
// kRate, full scale 1.0.

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace TestSignals {

constexpr double kRate = 44100.0;
constexpr double kNoiseRms = 0.002; // about −54 dBFS

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

// One channel of a sine at kRate.
inline std::vector<float> sine(double hz, double amplitude, int32_t count, double phase = 0.0) {
    std::vector<float> out(count);
    for (int32_t i = 0; i < count; ++i) {
        out[i] = static_cast<float>(amplitude *
                                    std::sin(2.0 * std::numbers::pi * hz * i / kRate + phase));
    }
    return out;
}

// Uniform noise between ±`amplitude`.
inline std::vector<float> noise(int32_t count, double amplitude, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    std::vector<float> out(count);
    for (auto& v : out) {
        v = static_cast<float>(uniform(random));
    }
    return out;
}

// Gaussian noise of RMS level `dbfs` (full scale 1.0).
inline std::vector<float> hiss(int32_t count, double dbfs, uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, std::pow(10.0, dbfs / 20.0));
    std::vector<float> out(count);
    for (float& v : out) {
        v = static_cast<float>(noise(random));
    }
    return out;
}

inline void add(std::vector<float>& to, const std::vector<float>& what) {
    for (size_t i = 0; i < to.size() && i < what.size(); ++i) {
        to[i] += what[i];
    }
}

// Rounded to 16-bit steps, as every signal of the chain is.
inline void quantise(std::vector<float>& x) {
    for (float& v : x) {
        v = static_cast<float>(std::lround(std::clamp(v * 32768.0, -32768.0, 32767.0)) / 32768.0);
    }
}

// Interleaved 16-bit stereo frames from two channel functions.
template <class Left, class Right>
std::vector<int16_t> frames(int32_t count, Left left, Right right) {
    std::vector<int16_t> out(2 * static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        out[2 * i] = static_cast<int16_t>(left(i));
        out[2 * i + 1] = static_cast<int16_t>(right(i));
    }
    return out;
}

// Clicks of three shapes on a music bed, with the clean signal kept to score a repair.
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

// Four sines and low noise (musicBed) with a drum every quarter second from 0.2 s, peaking near
// `drum`: a 90 Hz thump gliding down (decay 60 ms) and a snare-like rattle of noise low-passed at
// about 4 kHz (decay 25 ms), both with an attack of 1 ms, as a struck drum has. Without `snare` (a
// noise of its own) the piece is free of noise when noiseRms is 0.
inline std::vector<float> musicMix(int32_t count, uint32_t seed, double drum = 0.3,
                                   double noiseRms = kNoiseRms, bool snare = true) {
    std::vector<float> out = musicBed(count, seed, noiseRms);
    std::mt19937 random(seed + 17);
    std::normal_distribution<double> white(0.0, 1.0);
    const double pole = std::exp(-2 * std::numbers::pi * 4000.0 / kRate);
    for (int32_t beat = 8820; beat < count; beat += 11025) {
        double low1 = 0.0, low2 = 0.0, phase = 0.0;
        for (int32_t k = 0; k < 8820 && beat + k < count; ++k) {
            const double t = k / kRate;
            const double attack = std::min(t / 0.001, 1.0);
            phase += 2 * std::numbers::pi * (60.0 + 30.0 * std::exp(-t / 0.05)) / kRate;
            low1 = pole * low1 + (1 - pole) * white(random);
            low2 = pole * low2 + (1 - pole) * low1;
            const double thump = std::exp(-t / 0.060) * std::sin(phase);
            const double rattle = snare ? 2.0 * std::exp(-t / 0.025) * low2 : 0.0;
            out[beat + k] += static_cast<float>(drum * attack * (thump + rattle));
        }
    }
    return out;
}

// Notes with harmonics up to 12 kHz (amplitudes falling as 1/h), each struck and decaying
// over 0.3 to 0.8 s, two or three sounding at once: music whose quiet harmonics and tails
// reach down to any noise floor, without a noise of its own.
inline std::vector<float> noteMusic(int32_t count, uint32_t seed, double level = 0.1) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> pitch(110.0, 880.0);
    std::uniform_real_distribution<double> length(0.3, 0.8);
    std::uniform_real_distribution<double> loudness(0.5, 1.0);
    std::vector<float> out(count);
    for (int32_t voice = 0; voice < 3; ++voice) {
        for (int32_t at = voice * 3000; at < count;) {
            const double f0 = pitch(random);
            const auto span = static_cast<int32_t>(length(random) * kRate);
            const double a = level * loudness(random);
            for (int32_t h = 1; h * f0 < 12000.0; ++h) {
                const double w = 2.0 * std::numbers::pi * h * f0 / kRate;
                for (int32_t k = 0; k < span && at + k < count; ++k) {
                    const double t = k / kRate;
                    const double envelope = std::min(t / 0.005, 1.0) * std::exp(-t / 0.25);
                    out[at + k] += static_cast<float>(a / h * envelope * std::sin(w * k + h));
                }
            }
            at += span;
        }
    }
    return out;
}

// A snare-like instrument: bursts of white noise low-passed (one pole) at 3 to 8 kHz with an
// attack of 1 ms and a decay of 20 to 60 ms, `perSecond` of them on average at jittered
// times, peaks near `peak`.
inline std::vector<float> snareHits(int32_t count, uint32_t seed, double perSecond = 3.0,
                                    double peak = 0.2) {
    std::mt19937 random(seed);
    std::normal_distribution<double> white(0.0, 1.0);
    std::uniform_real_distribution<double> cutoff(3000.0, 8000.0);
    std::uniform_real_distribution<double> decay(0.020, 0.060);
    std::uniform_real_distribution<double> jitter(0.6, 1.4);
    std::vector<float> out(count);
    for (double at = 0.1 * kRate; at < count; at += jitter(random) * kRate / perSecond) {
        const double pole = std::exp(-2 * std::numbers::pi * cutoff(random) / kRate);
        const double tau = decay(random);
        double low = 0.0;
        for (int32_t k = 0; k < 8 * tau * kRate && at + k < count; ++k) {
            const double t = k / kRate;
            low = pole * low + (1 - pole) * white(random);
            const double envelope = std::min(t / 0.001, 1.0) * std::exp(-t / tau);
            out[static_cast<int32_t>(at) + k] += static_cast<float>(peak * 2.0 * envelope * low);
        }
    }
    return out;
}

// `clicks` decaying bursts of 2 to 40 samples at least `spacing` apart: broadband
// (white noise under an exponential envelope falling to 10 % at the end), peaks of 0.3
// to 0.8.
inline ClickedSignal withBursts(std::vector<float> clean, int32_t clicks, uint32_t seed,
                                int32_t from = 8192, int32_t spacing = 600) {
    std::mt19937 random(seed);
    const auto count = static_cast<int32_t>(clean.size());
    std::uniform_int_distribution<int32_t> length(2, 40);
    std::uniform_real_distribution<double> peak(0.3, 0.8);
    std::uniform_real_distribution<double> shape(-1.0, 1.0);
    ClickedSignal signal{clean, clean, {}};
    for (const int32_t start : spacedPlaces(random, count, clicks, from, spacing)) {
        const int32_t n = length(random);
        const double a = peak(random);
        const double decay = std::pow(0.1, 1.0 / n);
        for (int32_t k = 0; k < n; ++k) {
            // The first sample carries the peak; the rest is noise under the envelope.
            const double v =
                a * std::pow(decay, k) * (k == 0 ? (shape(random) < 0 ? -1 : 1) : shape(random));
            float& s = signal.dirty[start + k];
            s = static_cast<float>(std::clamp(s + v, -1.0, 1.0));
        }
        signal.clicks.push_back({start, n});
    }
    return signal;
}

// Crackle: `perSecond` ticks of 1 to 3 samples (decaying, alternating) with peaks up to
// `peak`, at random places.
inline ClickedSignal withTicks(std::vector<float> clean, double perSecond, double peak,
                               uint32_t seed, int32_t from = 8192) {
    std::mt19937 random(seed);
    const auto count = static_cast<int32_t>(clean.size());
    std::exponential_distribution<double> gap(perSecond / kRate);
    std::uniform_int_distribution<int32_t> length(1, 3);
    std::uniform_real_distribution<double> level(0.2 * peak, peak);
    std::bernoulli_distribution negative(0.5);
    ClickedSignal signal{clean, clean, {}};
    for (double at = from + gap(random); at < count - from; at += gap(random)) {
        const auto start = static_cast<int32_t>(at);
        const int32_t n = length(random);
        const double a = level(random) * (negative(random) ? -1.0 : 1.0);
        for (int32_t k = 0; k < n; ++k) {
            signal.dirty[start + k] += static_cast<float>(a * std::pow(-0.6, k));
        }
        signal.clicks.push_back({start, n});
    }
    return signal;
}

// A short burst in quiet hiss, and where it lands after processing: for checking that a
// processing run puts every frame back where it was.
constexpr int32_t kBurstFrames = 1323;

// A Hann-windowed chirp from 500 Hz to 5 kHz: a sharp peak in its autocorrelation, smooth
// enough that no repair stage takes it for a disturbance.
inline std::vector<float> chirp(int32_t length, double amplitude) {
    std::vector<float> out(length);
    const double seconds = length / kRate;
    for (int32_t i = 0; i < length; ++i) {
        const double t = i / kRate;
        const double phase = 2 * std::numbers::pi * (500.0 * t + 0.5 * 4500.0 / seconds * t * t);
        const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / (length - 1));
        out[i] = static_cast<float>(amplitude * window * std::sin(phase));
    }
    return out;
}

// Quiet hiss on both channels with the chirp on the left from frame `at`.
inline std::vector<int16_t> burstSource(int32_t frames, int32_t at, uint32_t seed) {
    const auto hissL = noise(frames, 30.0, seed);
    const auto hissR = noise(frames, 30.0, seed + 1);
    const auto burst = chirp(kBurstFrames, 10000.0);
    return TestSignals::frames(
        frames,
        [&](int32_t i) {
            const int32_t k = i - at;
            return std::lround(hissL[i] + (k >= 0 && k < kBurstFrames ? burst[k] : 0.0f));
        },
        [&](int32_t i) { return std::lround(hissR[i]); });
}

// The lag in -range..range at which the left channel of `output` best matches that of
// `input` around the burst at frame `at`.
inline int32_t burstLag(const std::vector<int16_t>& input, const std::vector<int16_t>& output,
                        int32_t at, int32_t range) {
    int32_t best = 0;
    double bestScore = -1e300;
    for (int32_t lag = -range; lag <= range; ++lag) {
        double score = 0;
        for (int32_t i = at; i < at + kBurstFrames; ++i) {
            const int64_t j = int64_t{i} + lag;
            if (j >= 0 && 2 * j < static_cast<int64_t>(output.size())) {
                score += static_cast<double>(input[2 * i]) * output[2 * j];
            }
        }
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

// Amplitude of the `hz` component of x[0 .. count), by a least-squares fit of a sine and
// a cosine (count should span many periods).
inline double toneAmplitude(const float* x, int32_t count, double hz) {
    double ss = 0, cc = 0, sc = 0, xs = 0, xc = 0;
    for (int32_t i = 0; i < count; ++i) {
        const double w = 2.0 * std::numbers::pi * hz * i / kRate;
        const double s = std::sin(w), c = std::cos(w);
        ss += s * s;
        cc += c * c;
        sc += s * c;
        xs += x[i] * s;
        xc += x[i] * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (xs * cc - xc * sc) / det;
    const double b = (xc * ss - xs * sc) / det;
    return std::hypot(a, b);
}

inline double dB(double ratio) {
    return 20.0 * std::log10(ratio);
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

// Mean power of x[from, from + count) between lowHz and highHz, from averaged Hann
// periodograms of 4096.
inline double bandPower(const std::vector<float>& x, int32_t from, int32_t count, double lowHz,
                        double highHz) {
    constexpr int32_t kSize = 4096;
    std::vector<float> frame(kSize);
    std::vector<fftwf_complex> spectrum(kSize / 2 + 1);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(kSize, frame.data(), spectrum.data(), FFTW_ESTIMATE);
    const auto lo = static_cast<int32_t>(std::ceil(lowHz * kSize / kRate));
    const auto hi = static_cast<int32_t>(std::floor(highHz * kSize / kRate));
    double total = 0.0;
    int32_t frames = 0;
    for (int32_t at = from; at + kSize <= from + count; at += kSize / 2, ++frames) {
        for (int32_t n = 0; n < kSize; ++n) {
            frame[n] = static_cast<float>(x[at + n] *
                                          (0.5 - 0.5 * std::cos(2 * std::numbers::pi * n / kSize)));
        }
        fftwf_execute(plan);
        for (int32_t k = std::max(lo, 0); k <= std::min(hi, kSize / 2); ++k) {
            total += static_cast<double>(spectrum[k][0]) * spectrum[k][0] +
                     static_cast<double>(spectrum[k][1]) * spectrum[k][1];
        }
    }
    fftwf_destroy_plan(plan);
    return frames > 0 ? total / frames : 0.0;
}

// Samples of `output` (lagging by `latency`) that differ from `input` by more than half a
// 16-bit step.
inline int32_t changedSamples(const std::vector<float>& input, const std::vector<float>& output,
                              int32_t latency) {
    int32_t changed = 0;
    for (size_t n = 0; n + latency < output.size(); ++n) {
        changed += std::fabs(output[n + latency] - input[n]) > 0.5f / 32768.0f ? 1 : 0;
    }
    return changed;
}

} // namespace TestSignals
