// The noise reducer in nanoseconds per stereo frame, at the 4096-frame blocks of a
// processing run. Budget: under 60 ns per stereo frame (about 400 times real time).
#include "AlgorithmLibrary.h"
#include "NoiseReducer.h"
#include "OlsWindow.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr int32_t kBlock = 4096;
constexpr int32_t kBlocks = 32; // a few seconds of signal, so the histograms see change

struct Library {
    Library() { AlgorithmLibrary::initialise(AlgorithmLibrary::kApplicationMaxBlock); }
};

// Tape hiss under a melody of held tones, a little different on each side.
struct HissyMusic {
    std::vector<float> left;
    std::vector<float> right;

    HissyMusic() : left(kBlock * kBlocks), right(kBlock * kBlocks) {
        std::mt19937 random(7);
        std::normal_distribution<double> hiss(0.0, 0.003);
        const double notes[] = {220.0, 330.0, 294.0, 440.0, 392.0, 262.0};
        for (size_t i = 0; i < left.size(); ++i) {
            const double t = static_cast<double>(i) / 44100.0;
            const double hz = notes[(i / 22050) % 6];
            const double tone = 0.2 * std::sin(2 * std::numbers::pi * hz * t);
            left[i] = static_cast<float>(tone + hiss(random));
            right[i] = static_cast<float>(0.8 * tone + hiss(random));
        }
    }
};

void countFrames(benchmark::State& state) {
    state.counters["per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <class Run> void runBlocks(benchmark::State& state, Run run) {
    static Library library;
    static const HissyMusic music;
    std::vector<float> outL(kBlock), outR(kBlock);
    int32_t block = 0;
    for (auto _ : state) {
        const size_t at = static_cast<size_t>(block) * kBlock;
        const float* in[2] = {music.left.data() + at, music.right.data() + at};
        float* out[2] = {outL.data(), outR.data()};
        run(in, out);
        benchmark::DoNotOptimize(outL.data());
        benchmark::ClobberMemory();
        block = (block + 1) % kBlocks;
    }
    countFrames(state);
}

void reducerBench(benchmark::State& state, int32_t channels) {
    NoiseReducer reducer;
    ParameterBlock params;
    params.value = 0.7f;
    params.channels = channels;
    runBlocks(state, [&](const float* const* in, float* const* out) {
        reducer.process(params, in, out, kBlock);
    });
}

void BM_NoiseReducer(benchmark::State& state) {
    reducerBench(state, 2);
}

void BM_NoiseReducerMono(benchmark::State& state) {
    reducerBench(state, 1);
}

// The frame framework alone (windows, transforms, hop buffering), spectra left as they are.
void BM_OlsWindowOnly(benchmark::State& state) {
    struct Unchanged : OlsFrameProcessor {
        void processFrame(const OlsFrame&) override {}
    } unchanged;
    OlsWindow window;
    runBlocks(state, [&](const float* const* in, float* const* out) {
        window.process(in, out, kBlock, unchanged);
    });
}

} // namespace

BENCHMARK(BM_NoiseReducer);
BENCHMARK(BM_NoiseReducerMono);
BENCHMARK(BM_OlsWindowOnly);
BENCHMARK_MAIN();
