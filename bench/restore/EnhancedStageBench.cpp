// The three enhanced repair stages in nanoseconds per stereo frame, at the 4096-frame
// blocks of a processing run, p = 0.5: the click and crackle removers on music with 10
// clicks per second and with 600 crackle ticks per second, the noise reducer on music
// with hiss. Target of the whole enhanced run (EnhancedRunBench): 80 times real time on
// one core, that is under 283 ns per stereo frame for the three stages together
// (items_per_second above 3.5 M each, roughly).
#include "AlgorithmLibrary.h"
#include "EnhancedStages.h"
#include "support/TestSignals.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int32_t kBlock = 4096;
constexpr int32_t kFrames = 10 * 44100;

struct Library {
    Library() { AlgorithmLibrary::initialise(AlgorithmLibrary::kApplicationMaxBlock); }
};

enum class Damage { kClicks, kTicks, kHiss };

std::vector<float> material(Damage damage, uint32_t seed) {
    std::vector<float> x = TestSignals::musicMix(kFrames, seed);
    switch (damage) {
    case Damage::kClicks:
        return TestSignals::withBursts(x, 100, seed + 1, 2048, 400).dirty;
    case Damage::kTicks:
        return TestSignals::withTicks(x, 600.0, 0.05, seed + 1, 2048).dirty;
    case Damage::kHiss:
        TestSignals::add(x, TestSignals::hiss(kFrames, -50.0, seed + 1));
        return x;
    }
    return x;
}

void stageBench(benchmark::State& state, int32_t slot, Damage damage) {
    static Library library;
    auto kernel = EnhancedStages::makeKernel(slot);
    if (!kernel) {
        state.SkipWithError("the library cannot make this stage");
        return;
    }
    const std::vector<float> left = material(damage, 1), right = material(damage, 2);
    std::vector<float> outL(kBlock), outR(kBlock);
    float* out[2] = {outL.data(), outR.data()};
    ParameterBlock params;
    params.value = 0.5f;
    int32_t at = 0;
    for (auto _ : state) {
        if (at + kBlock > kFrames) {
            at = 0;
        }
        const float* in[2] = {left.data() + at, right.data() + at};
        kernel->process(params, in, out, kBlock);
        benchmark::DoNotOptimize(outL.data());
        at += kBlock;
    }
    // Stereo frames per second; 1e9 / items_per_second is the time per stereo frame.
    state.SetItemsProcessed(state.iterations() * kBlock);
}

void BM_EnhancedClick(benchmark::State& state) {
    stageBench(state, 0, Damage::kClicks);
}
void BM_EnhancedCrackle(benchmark::State& state) {
    stageBench(state, 1, Damage::kTicks);
}
void BM_EnhancedNoise(benchmark::State& state) {
    stageBench(state, 2, Damage::kHiss);
}

BENCHMARK(BM_EnhancedClick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnhancedCrackle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnhancedNoise)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
