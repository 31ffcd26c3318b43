// The whole enhanced processing run (click, crackle and noise at 0.5, the other stages
// off) on a 10-minute worn record, in this process on one core, against ffmpeg's
// `adeclick,afftdn` chain on the same file (one thread), in the same run. Reports times
// real time (wall clock and processor time) and the speed ratio, and the same for the
// classic stages.
// Targets: the enhanced run at least 80 times real time on one core and at least 3 times
// the speed of the ffmpeg chain.
#include "AEProcessedFile.h"
#include "AEProcessingRun.h"
#include "AlgorithmLibrary.h"
#include "AudioFile.h"
#include "project/BenchFiles.h"
#include "support/TestSignals.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <sched.h>
#include <sys/resource.h>

namespace {

constexpr int32_t kMinutes = 10;
constexpr int32_t kPiece = 60 * 44100; // one minute of material, repeated

// Music with 10 clicks and 600 crackle ticks per second and hiss at -50 dBFS, as 16-bit
// stereo.
bool writeWornRecord(const std::string& path) {
    using namespace TestSignals;
    std::vector<float> channel[2];
    for (uint32_t c = 0; c < 2; ++c) {
        auto x = withBursts(musicMix(kPiece, 1 + c), 600, 3 + c, 2048, 60).dirty;
        x = withTicks(x, 600.0, 0.05, 5 + c, 2048).dirty;
        add(x, hiss(kPiece, -50.0, 7 + c));
        channel[c] = std::move(x);
    }
    AudioFile file(path);
    if (!file.create()) {
        return false;
    }
    file.setChannels(2);
    file.setClientFormat(file.fileFormat());
    std::vector<int16_t> block(2 * static_cast<size_t>(kPiece));
    for (int32_t i = 0; i < kPiece; ++i) {
        for (int32_t c = 0; c < 2; ++c) {
            const double v = std::clamp(channel[c][i] * 32768.0, -32768.0, 32767.0);
            block[2 * static_cast<size_t>(i) + c] = static_cast<int16_t>(std::lround(v));
        }
    }
    for (int32_t m = 0; m < kMinutes; ++m) {
        if (file.write(kPiece, block.data()) != kPiece) {
            return false;
        }
    }
    return file.close();
}

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void pinToOneCore() {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    sched_setaffinity(0, sizeof one, &one);
}

void enhancedRun(benchmark::State& state) {
    const auto mode = static_cast<RestorationMode>(state.range(0));
    AlgorithmLibrary::initialise(AlgorithmLibrary::kApplicationMaxBlock);
    ProjectBench::TempFolder folder;
    const std::string in = folder.file("worn.wav");
    if (!writeWornRecord(in)) {
        state.SkipWithError("cannot write the worn record");
        return;
    }
    const double audio = kMinutes * 60.0;
    pinToOneCore();
    for (auto _ : state) {
        ProcessingSettings settings;
        settings.mode = mode;
        settings.values = {0.5f, 0.5f, 0.5f, 0.0f, 0.0f, 0.0f};
        settings.enabled = {true, true, true, false, false, false};
        settings.trimTo(0, 0, kMinutes * kPiece, kMinutes * kPiece, kMinutes * kPiece);
        AEProcessedFile output(folder.file("gleam.wav"));
        const double cpuBefore = cpuSeconds(RUSAGE_SELF);
        const auto start = std::chrono::steady_clock::now();
        const AERunResult result = restoreFile(in, output, settings);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
        if (result != AERunResult::kDone) {
            state.SkipWithError("the processing run failed");
            return;
        }
        const std::string ffmpeg = "taskset -c 0 ffmpeg -nostdin -y -hide_banner -loglevel error "
                                   "-threads 1 -filter_threads 1 -i '" +
                                   in + "' -af adeclick,afftdn '" + folder.file("ffmpeg.wav") +
                                   "' >/dev/null 2>&1";
        const double childBefore = cpuSeconds(RUSAGE_CHILDREN);
        const auto ffmpegStart = std::chrono::steady_clock::now();
        const int status = std::system(ffmpeg.c_str());
        const double ffmpegSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - ffmpegStart).count();
        const double ffmpegCpu = cpuSeconds(RUSAGE_CHILDREN) - childBefore;
        state.SetIterationTime(seconds);
        state.counters["gleam_x_realtime"] = audio / seconds;
        state.counters["gleam_x_cputime"] = audio / cpu;
        if (status != 0) {
            state.counters["ffmpeg_failed"] = 1;
            continue;
        }
        state.counters["ffmpeg_x_realtime"] = audio / ffmpegSeconds;
        state.counters["ffmpeg_x_cputime"] = audio / ffmpegCpu;
        state.counters["gleam_vs_ffmpeg"] = ffmpegSeconds / seconds;
    }
}

BENCHMARK(enhancedRun)
    ->Name("BM_RepairRun/mode")
    ->Arg(static_cast<int>(RestorationMode::kEnhanced))
    ->Arg(static_cast<int>(RestorationMode::kClassic))
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
