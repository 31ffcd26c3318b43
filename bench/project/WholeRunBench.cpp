// The whole restoration run against a reference: a synthetic worn record (sines, a
// drum-like pulse train, clicks, crackle and hiss) restored by `gleam-cli restore` with all
// six controls at 0.5 in the classic and in the enhanced mode, and the same file through
// ffmpeg's `adeclick,afftdn` chain, all pinned to one core, in the same run. Reports times
// real time (also counted in processor time, steadier on a busy machine), the speed ratios
// and the peak memory (maximum resident set) of each program.
//
// Targets on the reference machine: gleam-cli at least 150 times real time in both modes
// (start-up, reading and writing included), at least 4 times faster than the ffmpeg
// chain, and under 64 MB for a 60-minute title.
// Run by hand (`make bench`); BM_PeakMemory60Minutes writes a 635 MB file.
#include "BenchFiles.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <numbers>
#include <random>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double kRate = 44100.0;

// A worn record: a chord of slowly swelling sines, a kick-like pulse every half second,
// hiss, crackle (many small impulses) and clicks (fewer, larger, a few samples wide).
bool writeWornRecord(const std::string& path, int64_t frames) {
    constexpr int32_t kBlock = 65536;
    AudioFile file(path);
    if (!file.create()) {
        return false;
    }
    file.setChannels(2);
    file.setClientFormat(file.fileFormat());
    std::mt19937 random(1234);
    std::normal_distribution<double> hiss(0.0, 300.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double tones[] = {110.0, 164.8, 220.0, 440.0, 659.3, 1318.5};
    std::vector<int16_t> block(2 * static_cast<size_t>(kBlock));
    int32_t clickLeft = 0;
    double clickLevel = 0.0;
    for (int64_t done = 0; done < frames; done += kBlock) {
        const auto count = static_cast<int32_t>(std::min<int64_t>(kBlock, frames - done));
        for (int32_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(done + i) / kRate;
            double music = 0.0;
            for (size_t k = 0; k < std::size(tones); ++k) {
                const double swell = 0.6 + 0.4 * std::sin(2 * std::numbers::pi * 0.1 * (k + 1) * t);
                music += 1800.0 / (1.0 + 0.3 * k) * swell *
                         std::sin(2 * std::numbers::pi * tones[k] * t + k);
            }
            const double beat = std::fmod(t, 0.5);
            music += 7000.0 * std::exp(-beat * 30.0) * std::sin(2 * std::numbers::pi * 55.0 * beat);
            double wear = hiss(random);
            if (unit(random) < 200.0 / kRate) {
                wear += (unit(random) - 0.5) * 4000.0; // crackle
            }
            if (clickLeft == 0 && unit(random) < 3.0 / kRate) {
                clickLeft = 2 + static_cast<int32_t>(unit(random) * 6);
                clickLevel = (unit(random) < 0.5 ? -1.0 : 1.0) * (6000.0 + 12000.0 * unit(random));
            }
            if (clickLeft > 0) {
                wear += clickLevel;
                --clickLeft;
            }
            const double left = std::clamp(music + wear, -32768.0, 32767.0);
            const double right =
                std::clamp(0.9 * music + wear + hiss(random) * 0.5, -32768.0, 32767.0);
            block[2 * static_cast<size_t>(i)] = static_cast<int16_t>(left);
            block[2 * static_cast<size_t>(i) + 1] = static_cast<int16_t>(right);
        }
        if (file.write(count, block.data()) != count) {
            return false;
        }
    }
    return file.close();
}

struct ChildRun {
    bool ok = false;
    double seconds = 0.0;
    double cpuSeconds = 0.0; // user and system time: what the program cost a busy machine
    double peakMB = 0.0;
};

// Runs `args` pinned to CPU 0, with standard output and error dropped.
ChildRun runPinned(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(0, &one);
        sched_setaffinity(0, sizeof one, &one);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    ChildRun run;
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
        return run;
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    run.peakMB = static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    return run;
}

std::vector<std::string> gleamRestore(const std::string& in, const std::string& out,
                                      const char* mode) {
    std::vector<std::string> args = {GLEAM_CLI, "restore", "--quiet", "--mode", mode, in, out};
    for (const char* stage :
         {"--click", "--crackle", "--noise", "--bass", "--width", "--brilliance"}) {
        args.insert(args.end(), {stage, "0.5"});
    }
    return args;
}

double audioSeconds(const benchmark::State& state) {
    return static_cast<double>(state.range(0)) * 60.0;
}

// A worn record of range(0) minutes at `path`; false after marking the benchmark skipped.
bool makeRecord(benchmark::State& state, const std::string& path) {
    if (writeWornRecord(path, static_cast<int64_t>(audioSeconds(state) * kRate))) {
        return true;
    }
    state.SkipWithError("cannot write the worn record");
    return false;
}

void reportGleam(benchmark::State& state, const ChildRun& gleam, const std::string& name) {
    state.counters[name + "_x_realtime"] = audioSeconds(state) / gleam.seconds;
    state.counters[name + "_x_cputime"] = audioSeconds(state) / gleam.cpuSeconds;
    state.counters[name + "_peak_MB"] = gleam.peakMB;
}

void wholeRun(benchmark::State& state) {
    ProjectBench::TempFolder folder;
    const std::string in = folder.file("worn.wav");
    if (!makeRecord(state, in)) {
        return;
    }
    for (auto _ : state) {
        const ChildRun classic = runPinned(gleamRestore(in, folder.file("classic.wav"), "classic"));
        const ChildRun enhanced =
            runPinned(gleamRestore(in, folder.file("enhanced.wav"), "enhanced"));
        const ChildRun ffmpeg =
            runPinned({"ffmpeg", "-nostdin", "-y", "-hide_banner", "-loglevel", "error", "-threads",
                       "1", "-filter_threads", "1", "-i", in, "-af", "adeclick,afftdn",
                       folder.file("ffmpeg.wav")});
        if (!classic.ok || !enhanced.ok || !ffmpeg.ok) {
            state.SkipWithError(ffmpeg.ok ? "gleam-cli restore failed" : "ffmpeg failed");
            return;
        }
        state.SetIterationTime(enhanced.seconds);
        reportGleam(state, classic, "classic");
        reportGleam(state, enhanced, "enhanced");
        state.counters["ffmpeg_x_realtime"] = audioSeconds(state) / ffmpeg.seconds;
        state.counters["ffmpeg_x_cputime"] = audioSeconds(state) / ffmpeg.cpuSeconds;
        state.counters["classic_vs_ffmpeg"] = ffmpeg.seconds / classic.seconds;
        state.counters["enhanced_vs_ffmpeg"] = ffmpeg.seconds / enhanced.seconds;
        state.counters["ffmpeg_peak_MB"] = ffmpeg.peakMB;
    }
}

// Memory must not grow with the title: a 60-minute title through gleam-cli alone.
void peakMemory(benchmark::State& state) {
    ProjectBench::TempFolder folder;
    const std::string in = folder.file("long.wav");
    if (!makeRecord(state, in)) {
        return;
    }
    for (auto _ : state) {
        for (const char* mode : {"classic", "enhanced"}) {
            const ChildRun gleam = runPinned(gleamRestore(in, folder.file("gleam.wav"), mode));
            if (!gleam.ok) {
                state.SkipWithError("gleam-cli restore failed");
                return;
            }
            state.SetIterationTime(gleam.seconds);
            reportGleam(state, gleam, mode);
        }
    }
}

BENCHMARK(wholeRun)
    ->Name("BM_WholeRun/minutes")
    ->Arg(10)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(peakMemory)
    ->Name("BM_PeakMemory/minutes")
    ->Arg(60)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
