#pragma once

// Test material for the enhanced repair stages: music-like tones with a drum-like pulse
// train and low noise, clicks (spikes and decaying bursts of 2 to 40 samples), dense
// crackle ticks, hiss and hum, and level measures per band and per stretch.

#include "ClickSignals.h"
#include "SignalTestSupport.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace enhanced_test {

constexpr double kRate = 44100.0;

// Four sines and low noise (click_signals::musicBed) with a drum every quarter second
// from 0.2 s, peaking near `drum`: a 90 Hz thump gliding down (decay 60 ms) and a
// snare-like rattle of noise low-passed at about 4 kHz (decay 25 ms), both with an attack
// of 1 ms, as a struck drum has. Without `snare` (a noise of its own) the piece is free
// of noise when noiseRms is 0.
inline std::vector<float> musicMix(int32_t count, uint32_t seed, double drum = 0.3,
                                   double noiseRms = click_signals::kNoiseRms, bool snare = true) {
    std::vector<float> out = click_signals::musicBed(count, seed, noiseRms);
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

// `clicks` decaying bursts of 2 to 40 samples at least `spacing` apart: broadband
// (white noise under an exponential envelope falling to 10 % at the end), peaks of 0.3
// to 0.8.
inline click_signals::ClickedSignal withBursts(std::vector<float> clean, int32_t clicks,
                                               uint32_t seed, int32_t from = 8192,
                                               int32_t spacing = 600) {
    std::mt19937 random(seed);
    const auto count = static_cast<int32_t>(clean.size());
    std::uniform_int_distribution<int32_t> length(2, 40);
    std::uniform_real_distribution<double> peak(0.3, 0.8);
    std::uniform_real_distribution<double> shape(-1.0, 1.0);
    click_signals::ClickedSignal signal{clean, clean, {}};
    for (const int32_t start : click_signals::spacedPlaces(random, count, clicks, from, spacing)) {
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
inline click_signals::ClickedSignal withTicks(std::vector<float> clean, double perSecond,
                                              double peak, uint32_t seed, int32_t from = 8192) {
    std::mt19937 random(seed);
    const auto count = static_cast<int32_t>(clean.size());
    std::exponential_distribution<double> gap(perSecond / kRate);
    std::uniform_int_distribution<int32_t> length(1, 3);
    std::uniform_real_distribution<double> level(0.2 * peak, peak);
    std::bernoulli_distribution negative(0.5);
    click_signals::ClickedSignal signal{clean, clean, {}};
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

using click_signals::changeDb;

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

// The same signal on both channels.
inline signal_test::StereoSignal stereo(const std::vector<float>& x) {
    return {x, x};
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

} // namespace enhanced_test
