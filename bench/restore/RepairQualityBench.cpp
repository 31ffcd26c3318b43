// How much the enhanced repair stages bring the music back, against ffmpeg on the same
// material in the same run (run by hand: ffmpeg must be on the path).
//
// Noise: three kinds of synthetic music (sustained tones, percussive, quiet) under white
// and pink hiss at 30 and 20 dB SNR, each after a hiss-only lead-in of 1.5 s. The counters
// are the mean SNR gain over the four hisses of the enhanced noise stage at p = 0.5 (a
// processing run) and of `afftdn=nr=20` with its noise floor measured in the lead-in, and
// the lead of the one over the other. Target: a lead of at least 0.5 dB on every kind.
//
// Clicks, crackle, worn: the SNR gain of the enhanced click stage on music with bursts,
// the crackle stage on music with dense ticks, and all three on a worn record (bursts,
// ticks and hiss), each at 0.5, beside ffmpeg's `adeclick` (and `adeclick,afftdn` on the
// worn record).
//
// The SNR is measured on both channels after the lead-in: the clean music against what
// differs from it.
#include "AlgorithmLibrary.h"
#include "restore/ProcessingPassRun.h"
#include "support/TestSignals.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using namespace TestSignals;

constexpr int32_t kLeadIn = 66150; // 1.5 s of hiss alone
constexpr int32_t kMusic = 12 * 44100;
constexpr int32_t kFrames = kLeadIn + kMusic;

struct Stereo {
    std::vector<float> channel[2];
};

enum class Kind { kTones, kPercussive, kQuiet };

// One channel of music of `kind` (after the lead-in of silence).
std::vector<float> music(Kind kind, uint32_t seed) {
    std::vector<float> x;
    switch (kind) {
    case Kind::kTones: // four held sines and struck notes with harmonics
        x = TestSignals::musicBed(kMusic, seed, 0.0);
        add(x, noteMusic(kMusic, seed + 1, 0.06));
        break;
    case Kind::kPercussive: // drums, a snare and a few quiet notes
        x = snareHits(kMusic, seed, 4.0, 0.3);
        add(x, noteMusic(kMusic, seed + 1, 0.02));
        for (int32_t beat = 0; beat < kMusic; beat += 11025) {
            for (int32_t k = 0; k < 6000 && beat + k < kMusic; ++k) {
                const double t = k / kRate;
                x[beat + k] +=
                    static_cast<float>(0.3 * std::min(t / 0.001, 1.0) * std::exp(-t / 0.06) *
                                       std::sin(2 * std::numbers::pi * 70.0 * t));
            }
        }
        break;
    case Kind::kQuiet: // soft notes that fade to nearly nothing every three seconds
        x = noteMusic(kMusic, seed, 0.01);
        for (int32_t n = 0; n < kMusic; ++n) {
            const double phase = std::fmod(n / kRate, 3.0) / 3.0;
            x[n] *=
                static_cast<float>(0.05 + 0.95 * std::pow(std::sin(std::numbers::pi * phase), 2));
        }
        break;
    }
    x.insert(x.begin(), kLeadIn, 0.0f);
    return x;
}

// Gaussian hiss, white or pink (a sum of three one-pole low-passes of white noise, flat
// within 1 dB of 1/f from 50 Hz to 15 kHz), at power 1.
std::vector<float> unitHiss(bool pink, uint32_t seed) {
    std::vector<float> x = hiss(kFrames, 0.0, seed);
    if (!pink) {
        return x;
    }
    double b0 = 0.0, b1 = 0.0, b2 = 0.0, power = 0.0;
    for (float& v : x) {
        b0 = 0.99765 * b0 + v * 0.0990460;
        b1 = 0.96300 * b1 + v * 0.2965164;
        b2 = 0.57000 * b2 + v * 1.0526913;
        v = static_cast<float>(b0 + b1 + b2 + v * 0.1848);
        power += static_cast<double>(v) * v;
    }
    const auto scale = static_cast<float>(1.0 / std::sqrt(power / kFrames));
    for (float& v : x) {
        v *= scale;
    }
    return x;
}

double powerOf(const std::vector<float>& x, int32_t from, int32_t to) {
    double sum = 0.0;
    for (int32_t n = from; n < to; ++n) {
        sum += static_cast<double>(x[n]) * x[n];
    }
    return sum / std::max(to - from, 1);
}

std::vector<int16_t> interleaved(const Stereo& s) {
    std::vector<int16_t> out(2 * static_cast<size_t>(kFrames));
    for (int32_t n = 0; n < kFrames; ++n) {
        for (int32_t c = 0; c < 2; ++c) {
            out[2 * static_cast<size_t>(n) + c] = static_cast<int16_t>(
                std::lround(std::clamp(s.channel[c][n] * 32768.0, -32768.0, 32767.0)));
        }
    }
    return out;
}

Stereo deinterleaved(const std::vector<int16_t>& frames) {
    Stereo s;
    for (int32_t c = 0; c < 2; ++c) {
        s.channel[c].assign(kFrames, 0.0f);
        for (int32_t n = 0; n < kFrames && 2 * static_cast<size_t>(n) + 1 < frames.size(); ++n) {
            s.channel[c][n] = frames[2 * static_cast<size_t>(n) + c] / 32768.0f;
        }
    }
    return s;
}

// `signal` moved in time to line up with `reference` (the lag of the largest correlation
// over one second, within ±4096 frames): ffmpeg's filters may delay their output.
Stereo aligned(const Stereo& signal, const Stereo& reference) {
    constexpr int32_t kReach = 4096;
    const int32_t from = kLeadIn + 44100;
    int32_t best = 0;
    double bestSum = -1e300;
    for (int32_t lag = -kReach; lag <= kReach; ++lag) {
        double sum = 0.0;
        for (int32_t n = from; n < from + 44100; ++n) {
            sum += static_cast<double>(signal.channel[0][n + lag]) * reference.channel[0][n];
        }
        if (sum > bestSum) {
            bestSum = sum;
            best = lag;
        }
    }
    Stereo out;
    for (int32_t c = 0; c < 2; ++c) {
        out.channel[c].assign(kFrames, 0.0f);
        for (int32_t n = 0; n < kFrames; ++n) {
            if (n + best >= 0 && n + best < kFrames) {
                out.channel[c][n] = signal.channel[c][n + best];
            }
        }
    }
    return out;
}

// The SNR of `signal` against `clean` after the lead-in, in dB, both channels.
double snr(const Stereo& clean, const Stereo& signal) {
    double music = 0.0, error = 0.0;
    for (int32_t c = 0; c < 2; ++c) {
        for (int32_t n = kLeadIn; n < kFrames; ++n) {
            const double d = signal.channel[c][n] - clean.channel[c][n];
            music += static_cast<double>(clean.channel[c][n]) * clean.channel[c][n];
            error += d * d;
        }
    }
    return 10.0 * std::log10(music / std::max(error, 1e-30));
}

// The enhanced stages of `values` (click, crackle, noise) over `input` as a processing
// run restores a title.
Stereo gleam(const Stereo& input, const std::array<float, 3>& values) {
    ProcessingSettings settings;
    settings.mode = RestorationMode::kEnhanced;
    settings.values = {values[0], values[1], values[2], 0.0f, 0.0f, 0.0f};
    settings.enabled = {values[0] > 0, values[1] > 0, values[2] > 0, false, false, false};
    settings.wholeSource(kFrames);
    auto pass = ProcessingPass::create(settings);
    if (!pass) {
        return input;
    }
    return deinterleaved(processing_test::runPass(*pass, settings, interleaved(input)));
}

// `input` through ffmpeg's `filters` (one thread); empty channels when ffmpeg fails.
Stereo ffmpeg(const Stereo& input, const std::string& filters) {
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "gleam-quality.XXXXXX");
        return mkdtemp(pattern.data()) ? pattern : std::string("/tmp");
    }();
    const std::string in = folder + "/in.raw", out = folder + "/out.raw";
    const std::vector<int16_t> frames = interleaved(input);
    std::ofstream(in, std::ios::binary)
        .write(reinterpret_cast<const char*>(frames.data()),
               static_cast<std::streamsize>(frames.size() * sizeof(int16_t)));
    const std::string raw = "-f s16le -ar 44100 -ac 2 ";
    const std::string command = "ffmpeg -nostdin -y -hide_banner -loglevel error -threads 1 " +
                                raw + "-i " + in + " -af " + filters + " " + raw + out;
    std::vector<int16_t> result;
    if (std::system(command.c_str()) == 0) {
        std::ifstream file(out, std::ios::binary | std::ios::ate);
        result.resize(static_cast<size_t>(file.tellg()) / sizeof(int16_t));
        file.seekg(0);
        file.read(reinterpret_cast<char*>(result.data()),
                  static_cast<std::streamsize>(result.size() * sizeof(int16_t)));
    }
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return result.empty() ? Stereo{} : aligned(deinterleaved(result), input);
}

Stereo sum(const Stereo& a, const Stereo& b, double scaleB) {
    Stereo s = a;
    for (int32_t c = 0; c < 2; ++c) {
        for (int32_t n = 0; n < kFrames; ++n) {
            s.channel[c][n] += static_cast<float>(scaleB * b.channel[c][n]);
        }
    }
    return s;
}

// The SNR gain of gleam at noise p = 0.5 and of afftdn, for one kind under one hiss.
struct Gains {
    double gleam = 0.0;
    double ffmpeg = 0.0;
};

Gains noiseGains(Kind kind, bool pink, double snrDb, uint32_t seed) {
    Stereo clean, noise;
    for (uint32_t c = 0; c < 2; ++c) {
        clean.channel[c] = music(kind, seed + 10 * c);
        noise.channel[c] = unitHiss(pink, seed + 10 * c + 5);
    }
    const double musicPower = (powerOf(clean.channel[0], kLeadIn, kFrames) +
                               powerOf(clean.channel[1], kLeadIn, kFrames)) /
                              2.0;
    const Stereo noisy = sum(clean, noise, std::sqrt(musicPower / std::pow(10.0, snrDb / 10.0)));
    const double floorDb = 10.0 * std::log10(powerOf(noisy.channel[0], 0, kLeadIn));
    char filter[64];
    std::snprintf(filter, sizeof filter, "afftdn=nr=20:nf=%.1f", std::clamp(floorDb, -80.0, -20.0));
    const double before = snr(clean, noisy);
    const Stereo reference = ffmpeg(noisy, filter);
    return {snr(clean, gleam(noisy, {0.0f, 0.0f, 0.5f})) - before,
            reference.channel[0].empty() ? 0.0 : snr(clean, reference) - before};
}

// Starts the algorithm library once; false after marking the benchmark skipped.
bool libraryStarted(benchmark::State& state) {
    static const bool started =
        AlgorithmLibrary::initialise(AlgorithmLibrary::kApplicationMaxBlock) == 0;
    if (!started) {
        state.SkipWithError("the algorithm library does not start");
    }
    return started;
}

void BM_NoiseSnrGain(benchmark::State& state, Kind kind) {
    if (!libraryStarted(state)) {
        return;
    }
    Gains mean;
    for (auto _ : state) {
        mean = {};
        for (const bool pink : {false, true}) {
            for (const double snrDb : {30.0, 20.0}) {
                const Gains g = noiseGains(kind, pink, snrDb, 100 + static_cast<uint32_t>(kind));
                state.counters[std::string(pink ? "pink" : "white") + (snrDb > 25 ? "30" : "20") +
                               "_lead_dB"] = g.gleam - g.ffmpeg;
                mean.gleam += g.gleam / 4.0;
                mean.ffmpeg += g.ffmpeg / 4.0;
            }
        }
    }
    state.counters["gleam_dB"] = mean.gleam;
    state.counters["afftdn_dB"] = mean.ffmpeg;
    state.counters["lead_dB"] = mean.gleam - mean.ffmpeg;
}

// Music of tones and drums (sines with a low noise of their own) with bursts and ticks.
void BM_ImpulseSnrGain(benchmark::State& state, int32_t what) {
    if (!libraryStarted(state)) {
        return;
    }
    const bool clicks = what != 1, crackle = what != 0, worn = what == 2;
    Stereo clean, damaged;
    for (uint32_t c = 0; c < 2; ++c) {
        clean.channel[c] = musicMix(kFrames, 200 + c);
        damaged.channel[c] = clean.channel[c];
        if (clicks) {
            damaged.channel[c] = withBursts(damaged.channel[c], 100, 210 + c, 4096, 600).dirty;
        }
        if (crackle) {
            damaged.channel[c] = withTicks(damaged.channel[c], 600.0, 0.05, 220 + c, 2048).dirty;
        }
        if (worn) {
            add(damaged.channel[c], hiss(kFrames, -50.0, 230 + c));
        }
    }
    const double before = snr(clean, damaged);
    double gain = 0.0, reference = 0.0;
    for (auto _ : state) {
        gain =
            snr(clean,
                gleam(damaged, {clicks ? 0.5f : 0.0f, crackle ? 0.5f : 0.0f, worn ? 0.5f : 0.0f})) -
            before;
        const Stereo ref = ffmpeg(damaged, worn ? "adeclick,afftdn" : "adeclick");
        reference = ref.channel[0].empty() ? 0.0 : snr(clean, ref) - before;
    }
    state.counters["gleam_dB"] = gain;
    state.counters["ffmpeg_dB"] = reference;
}

} // namespace

BENCHMARK_CAPTURE(BM_NoiseSnrGain, tones, Kind::kTones)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_NoiseSnrGain, percussive, Kind::kPercussive)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_NoiseSnrGain, quiet, Kind::kQuiet)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_ImpulseSnrGain, clicks, 0)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_ImpulseSnrGain, crackle, 1)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_ImpulseSnrGain, worn, 2)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
