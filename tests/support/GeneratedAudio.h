#pragma once

// Test audio made at test time by sox and ffmpeg (sines in every file format the import
// takes), and the measurements the format tests make on it: frequency and level of a sine
// and the strongest component away from it, by FFTW.

#include <fftw3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace GeneratedAudio {

// Runs a shell command quietly; true when it exits with 0.
inline bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

// A PCM file (WAVE, FLAC, ... by the extension of `path`) of a sine with the same samples
// on every channel, made by sox.
inline bool soxSine(const std::string& path, int rate, int channels, int bits, double seconds,
                    double frequency, double amplitude) {
    return run("sox -n -r " + std::to_string(rate) + " -b " + std::to_string(bits) + " -c " +
               std::to_string(channels) + " " + quoted(path) + " synth " + std::to_string(seconds) +
               " sine " + std::to_string(frequency) + " vol " + std::to_string(amplitude));
}

// A stereo file of a sine coded by ffmpeg's `codec` ("libvorbis", "libmp3lame", "libopus")
// at `rate`.
inline bool ffmpegSine(const std::string& path, const std::string& codec, int rate, double seconds,
                       double frequency, double amplitude) {
    return run("ffmpeg -nostdin -y -f lavfi -i 'sine=frequency=" + std::to_string(frequency) +
               ":sample_rate=" + std::to_string(rate) + ":duration=" + std::to_string(seconds) +
               "' -af 'volume=" + std::to_string(amplitude * 8.0) +
               ",pan=stereo|c0=c0|c1=c0' -c:a " + codec + " -b:a 192k " + quoted(path));
}

// A generated sine file, named by its parameters: rate-channels-coding.
struct SineFile {
    const char* name;
    int rate;
    int channels;
    int bits; // 0: a lossy coding made by ffmpeg with `codec`
    const char* codec;
    double levelTolerance; // dB the level may move through the coding
};

// The files the format tests import: WAVE at other rates, depths and channel counts,
// FLAC, Ogg Vorbis, MP3 and Opus.
inline std::vector<SineFile> sineFiles() {
    return {{"48000-2-24.wav", 48000, 2, 24, "", 0.05},
            {"96000-1-16.wav", 96000, 1, 16, "", 0.05},
            {"96000-2-24.wav", 96000, 2, 24, "", 0.05},
            {"44100-2-32.wav", 44100, 2, 32, "", 0.05},
            {"22050-2-8.wav", 22050, 2, 8, "", 0.1},
            {"44100-6-16.wav", 44100, 6, 16, "", 0.05},
            {"48000-2-16.flac", 48000, 2, 16, "", 0.05},
            {"44100-2-vorbis.ogg", 44100, 2, 0, "libvorbis", 0.5},
            {"44100-2-mp3.mp3", 44100, 2, 0, "libmp3lame", 0.5},
            {"48000-2-opus.opus", 48000, 2, 0, "libopus", 0.5}};
}

// Makes `file` at `path` with a sine of `frequency` and `amplitude`.
inline bool makeSine(const std::string& path, const SineFile& file, double seconds,
                     double frequency, double amplitude) {
    return file.bits > 0
               ? soxSine(path, file.rate, file.channels, file.bits, seconds, frequency, amplitude)
               : ffmpegSine(path, file.codec, file.rate, seconds, frequency, amplitude);
}

// A test name from a file name: letters and digits, "_" for the rest.
inline std::string testName(const SineFile& file) {
    std::string name = file.name;
    for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}

// One channel of interleaved 16-bit frames as floats of full scale 1.0.
inline std::vector<float> channel(const std::vector<int16_t>& interleaved, int channels,
                                  int which) {
    std::vector<float> out(interleaved.size() / static_cast<size_t>(channels));
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] =
            interleaved[i * static_cast<size_t>(channels) + static_cast<size_t>(which)] / 32768.0f;
    }
    return out;
}

// Peak amplitude of a sine from its RMS (full scale 1.0).
inline double sineAmplitude(const std::vector<float>& x, size_t skip = 0) {
    double sum = 0.0;
    for (size_t i = skip; i < x.size(); ++i) {
        sum += static_cast<double>(x[i]) * x[i];
    }
    return std::sqrt(2.0 * sum / static_cast<double>(x.size() - skip));
}

inline double besselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 60; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

// The amplitude spectrum of `n` samples from `start`, Kaiser-windowed (beta 16: side lobes
// far below -140 dB, so a leak never hides or fakes a spur), in dBFS: a full-scale sine
// on a bin reads 0 dB.
struct Spectrum {
    std::vector<double> dbfs;
    double binHz = 0.0;

    Spectrum(const std::vector<float>& x, size_t start, size_t n, double rate) {
        std::vector<float> in(n);
        double windowSum = 0.0;
        const double beta = 16.0;
        for (size_t i = 0; i < n; ++i) {
            const double r = 2.0 * static_cast<double>(i) / static_cast<double>(n - 1) - 1.0;
            const double w =
                besselI0(beta * std::sqrt(std::max(0.0, 1.0 - r * r))) / besselI0(beta);
            windowSum += w;
            in[i] = static_cast<float>(w * x[start + i]);
        }
        std::vector<fftwf_complex> out(n / 2 + 1);
        fftwf_plan plan =
            fftwf_plan_dft_r2c_1d(static_cast<int>(n), in.data(), out.data(), FFTW_ESTIMATE);
        fftwf_execute(plan);
        fftwf_destroy_plan(plan);
        dbfs.resize(out.size());
        for (size_t k = 0; k < out.size(); ++k) {
            const double magnitude = std::hypot(out[k][0], out[k][1]) * 2.0 / windowSum;
            dbfs[k] = 20.0 * std::log10(std::max(magnitude, 1e-20));
        }
        binHz = rate / static_cast<double>(n);
    }

    // The frequency of the strongest component, interpolated between bins.
    double peakHz() const {
        const auto peak =
            static_cast<size_t>(std::max_element(dbfs.begin() + 1, dbfs.end() - 1) - dbfs.begin());
        const double a = dbfs[peak - 1];
        const double b = dbfs[peak];
        const double c = dbfs[peak + 1];
        const double offset = 0.5 * (a - c) / (a - 2.0 * b + c);
        return (static_cast<double>(peak) + offset) * binHz;
    }

    // The strongest component more than `guardHz` away from `frequency` (and above
    // `lowestHz`), in dBFS.
    double strongestAwayFrom(double frequency, double guardHz, double lowestHz = 20.0) const {
        double strongest = -400.0;
        for (size_t k = 0; k < dbfs.size(); ++k) {
            const double hz = static_cast<double>(k) * binHz;
            if (hz >= lowestHz && std::abs(hz - frequency) > guardHz) {
                strongest = std::max(strongest, dbfs[k]);
            }
        }
        return strongest;
    }
};

} // namespace GeneratedAudio
