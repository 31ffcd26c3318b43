// The repair stages (click remover, crackle remover) in nanoseconds per stereo frame at the
// 4096-frame blocks of a processing run, on music without clicks and with 10 clicks per
// second; and, as counters of single runs, how well the click remover repairs three
// shapes of click at p = 0.5 and how often it repairs where there is no click.
// Budget on the 2-core build machine: click remover under 120 ns, crackle remover under
// 80 ns per stereo frame.
#include "AlgorithmLibrary.h"
#include "ClickRemover.h"
#include "CrackleRemover.h"
#include "support/TestSignals.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace TestSignals;

constexpr int32_t kBlock = 4096;
constexpr int32_t kSeconds = 10;
constexpr int32_t kFrames = kSeconds * 44100;

struct Library {
    Library() { AlgorithmLibrary::initialise(AlgorithmLibrary::kApplicationMaxBlock); }
};

// Two channels of music, with `clicksPerSecond` bursts on each.
struct StereoMusic {
    std::vector<float> left, right;
};

StereoMusic music(int32_t clicksPerSecond) {
    auto left = musicBed(kFrames, 1), right = musicBed(kFrames, 2);
    if (clicksPerSecond > 0) {
        const int32_t clicks = clicksPerSecond * kSeconds;
        left = withClicks(left, Shape::Burst, clicks, 3, 2048, 400).dirty;
        right = withClicks(right, Shape::Burst, clicks, 4, 2048, 400).dirty;
    }
    return {left, right};
}

// Runs the stage over the music in 4096-frame blocks, round and round.
void stageBench(benchmark::State& state, ProcessorKind kind, int32_t clicksPerSecond) {
    static Library library;
    ParameterBlock params;
    params.value = 0.5f;
    auto kernel = AlgorithmLibrary::create(kind, params);
    if (!kernel) {
        state.SkipWithError("the library cannot make this stage");
        return;
    }
    const StereoMusic source = music(clicksPerSecond);
    std::vector<float> outL(kBlock), outR(kBlock);
    float* out[2] = {outL.data(), outR.data()};
    int32_t at = 0;
    for (auto _ : state) {
        if (at + kBlock > kFrames) {
            at = 0;
        }
        const float* in[2] = {source.left.data() + at, source.right.data() + at};
        kernel->process(params, in, out, kBlock);
        benchmark::DoNotOptimize(outL.data());
        benchmark::ClobberMemory();
        at += kBlock;
    }
    // Shown as seconds per stereo frame (n = nanoseconds).
    state.counters["per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ClickRemoverClean(benchmark::State& state) {
    stageBench(state, ProcessorKind::ClickRemover, 0);
}
void BM_ClickRemoverTenClicksPerSecond(benchmark::State& state) {
    stageBench(state, ProcessorKind::ClickRemover, 10);
}
void BM_CrackleRemoverClean(benchmark::State& state) {
    stageBench(state, ProcessorKind::CrackleRemover, 0);
}
void BM_CrackleRemoverTenClicksPerSecond(benchmark::State& state) {
    stageBench(state, ProcessorKind::CrackleRemover, 10);
}

// One channel through a fresh click remover at p = 0.5, in 4096-frame calls.
std::vector<float> repairMono(const std::vector<float>& input, ClickRemover& remover) {
    ParameterBlock params;
    params.channels = 1;
    params.value = 0.5f;
    std::vector<float> out(input.size());
    for (size_t at = 0; at < input.size(); at += kBlock) {
        const auto n = static_cast<int32_t>(std::min<size_t>(kBlock, input.size() - at));
        const float* in[2] = {input.data() + at, input.data() + at};
        float* o[2] = {out.data() + at, out.data() + at};
        remover.process(params, in, o, n);
    }
    return out;
}

// 30 clicks of one shape on 6 seconds of music: how many were repaired (own error down by
// 10 dB), and the change of the error against the clean music around the clicks and over
// the whole signal.
void BM_ClickQuality(benchmark::State& state, Shape shape) {
    static Library library;
    const auto signal = withClicks(musicBed(6 * 44100, 31), shape, 30, 32);
    Score result;
    for (auto _ : state) {
        ClickRemover remover;
        result = score(signal, repairMono(signal.dirty, remover), ClickSettings::kLatency);
    }
    state.counters["clicks"] = static_cast<double>(signal.clicks.size());
    state.counters["repaired"] = result.repaired;
    state.counters["region_dB"] = result.regionChangeDb;
    state.counters["whole_dB"] = result.wholeChangeDb;
}

// Regions repaired per second, and samples changed per second, on music without clicks.
void BM_ClickRepairsWithoutClicks(benchmark::State& state) {
    static Library library;
    const auto clean = musicBed(kFrames, 7);
    RepairReport report;
    for (auto _ : state) {
        ClickRemover remover;
        repairMono(clean, remover);
        report = remover.report();
    }
    state.counters["regions_per_s"] = static_cast<double>(report.repairs) / kSeconds;
    state.counters["samples_per_s"] = static_cast<double>(report.samples) / kSeconds;
}

} // namespace

BENCHMARK(BM_ClickRemoverClean);
BENCHMARK(BM_ClickRemoverTenClicksPerSecond);
BENCHMARK(BM_CrackleRemoverClean);
BENCHMARK(BM_CrackleRemoverTenClicksPerSecond);
BENCHMARK_CAPTURE(BM_ClickQuality, spikes, Shape::Spike)->Iterations(1);
BENCHMARK_CAPTURE(BM_ClickQuality, bursts, Shape::Burst)->Iterations(1);
BENCHMARK_CAPTURE(BM_ClickQuality, smooth, Shape::Smooth)->Iterations(1);
BENCHMARK(BM_ClickRepairsWithoutClicks)->Iterations(1);
BENCHMARK_MAIN();
