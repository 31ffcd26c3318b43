// Restoration stages in nanoseconds per stereo frame, at the 4096-frame blocks of a
// processing run. Budget: slots 3 to 7 together under 25 ns per frame.
#include "AlgorithmLibrary.h"
#include "FadeEnvelope.h"
#include "FrameConversion.h"
#include "NormalizerProcessor.h"
#include "ProcessorChain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr int32_t kBlock = 4096;

void countFrames(benchmark::State& state) {
    state.counters["per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Bass, a bright tone and hiss, loud enough that the limiter has work now and then.
std::vector<int16_t> musicFrames(int32_t count) {
    std::mt19937 random(42);
    std::uniform_real_distribution<double> hiss(-2000.0, 2000.0);
    std::vector<int16_t> out(2 * static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const double t = i / 44100.0;
        const double bass = 9000.0 * std::sin(2 * std::numbers::pi * 55.0 * t);
        const double tone = 7000.0 * std::sin(2 * std::numbers::pi * 2500.0 * t);
        out[2 * i] = static_cast<int16_t>(bass + tone + hiss(random));
        out[2 * i + 1] = static_cast<int16_t>(bass - tone + hiss(random));
    }
    return out;
}

struct Library {
    Library() { AlgorithmLibrary::initialise(AlgorithmLibrary::kApplicationMaxBlock); }
};

void kernelBench(benchmark::State& state, ProcessorKind kind, float value) {
    static Library library;
    ParameterBlock params;
    params.value = value;
    auto kernel = AlgorithmLibrary::create(kind, params);
    const auto source = musicFrames(kBlock);
    std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
    FrameConversion::toFloat(source.data(), kBlock, inL.data(), inR.data());
    const float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    for (auto _ : state) {
        kernel->process(params, in, out, kBlock);
        benchmark::DoNotOptimize(outL.data());
        benchmark::ClobberMemory();
    }
    countFrames(state);
}

void BM_BassEnhancer(benchmark::State& state) {
    kernelBench(state, ProcessorKind::BassEnhancer, 0.5f);
}
void BM_StereoWidener(benchmark::State& state) {
    kernelBench(state, ProcessorKind::StereoWidener, 0.75f);
}
void BM_BrillianceEnhancer(benchmark::State& state) {
    kernelBench(state, ProcessorKind::BrillianceEnhancer, 0.5f);
}
void BM_PeakLimiter(benchmark::State& state) {
    kernelBench(state, ProcessorKind::PeakLimiter, 0.0f);
}

void BM_Conversions(benchmark::State& state) {
    auto data = musicFrames(kBlock);
    std::vector<float> left(kBlock), right(kBlock);
    for (auto _ : state) {
        FrameConversion::toFloat(data.data(), kBlock, left.data(), right.data());
        FrameConversion::toFrames(left.data(), right.data(), kBlock, data.data());
        benchmark::ClobberMemory();
    }
    countFrames(state);
}

void BM_FadeEnvelope(benchmark::State& state) {
    auto switches = std::make_shared<ProcessorSwitches>();
    FadeEnvelope fade(switches);
    fade.setFades(0, 1 << 30, (1 << 30) + 1, (1 << 30) + 2); // a fade-in lasting the whole run
    auto data = musicFrames(kBlock);
    for (auto _ : state) {
        fade.process(data.data(), kBlock);
        benchmark::ClobberMemory();
    }
    countFrames(state);
}

void BM_NormalizerAnalyse(benchmark::State& state) {
    static Library library;
    auto normalizer = NormalizerProcessor::create(0.0f);
    auto data = musicFrames(kBlock);
    for (auto _ : state) {
        normalizer->process(data.data(), kBlock);
        benchmark::ClobberMemory();
    }
    countFrames(state);
}

void BM_NormalizerApply(benchmark::State& state) {
    static Library library;
    auto normalizer = NormalizerProcessor::create(1.0f);
    const auto source = musicFrames(kBlock);
    auto data = source;
    for (auto _ : state) {
        data = source;
        normalizer->process(data.data(), kBlock);
        benchmark::ClobberMemory();
    }
    countFrames(state);
}

// The whole tail of the chain as playback runs it: conversion, bass, width, brilliance,
// limiter with conversion back, fades.
void BM_ChainSlots3To7(benchmark::State& state) {
    static Library library;
    ProcessorChain chain(std::make_shared<ProcessorSwitches>());
    for (int32_t slot = 3; slot < 6; ++slot) {
        chain.createProcessor(slot, 0.5f);
    }
    chain.createProcessor(7, 0.0f);
    chain.createProcessor(6, 0.0f);
    chain.setFades(0, 44100, 1 << 29, 1 << 30);
    const auto source = musicFrames(kBlock);
    auto data = source;
    for (auto _ : state) {
        std::copy(source.begin(), source.end(), data.begin());
        chain.processBuffer(data.data(), kBlock);
        benchmark::ClobberMemory();
    }
    countFrames(state);
}

} // namespace

BENCHMARK(BM_BassEnhancer);
BENCHMARK(BM_StereoWidener);
BENCHMARK(BM_BrillianceEnhancer);
BENCHMARK(BM_PeakLimiter);
BENCHMARK(BM_Conversions);
BENCHMARK(BM_FadeEnvelope);
BENCHMARK(BM_NormalizerAnalyse);
BENCHMARK(BM_NormalizerApply);
BENCHMARK(BM_ChainSlots3To7);
BENCHMARK_MAIN();
