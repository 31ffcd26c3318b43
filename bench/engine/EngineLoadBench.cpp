// The audio engine during live playback on the virtual device, paced in real time, with
// all six restoration controls at 0.5 and the default buffers (4 × 8192 frames):
//   load_peak        the engine's load value (turn time × 140 / buffer time); target < 10
//   longest_turn_ms  the worker's longest turn; target < a quarter of buffer_ms
// Each run plays a few seconds of music-like audio; the first second is not counted.
#include "AEAudioEngine.h"
#include "AEMMEDevice.h"
#include "AlgorithmLibrary.h"
#include "AudioTestSupport.h"
#include "WaveDeviceVirtual.h"

#include "support/TestDirs.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <numbers>
#include <random>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr int32_t kRate = 44100;

// Bass, a bright tone, hiss and now and then a click, loud enough for the limiter.
std::vector<int16_t> musicFrames(int32_t count) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> hiss(-1500.0, 1500.0);
    std::vector<int16_t> out(2 * static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const double t = i / double{kRate};
        const double bass = 9000.0 * std::sin(2 * std::numbers::pi * 55.0 * t);
        const double tone = 6000.0 * std::sin(2 * std::numbers::pi * 2500.0 * t);
        const double click = i % 9973 == 0 ? 12000.0 : 0.0;
        out[2 * static_cast<size_t>(i)] = static_cast<int16_t>(bass + tone + hiss(random) + click);
        out[2 * static_cast<size_t>(i) + 1] = static_cast<int16_t>(bass - tone + hiss(random));
    }
    return out;
}

void liveLoad(benchmark::State& state, std::chrono::milliseconds measured) {
    AlgorithmLibrary::initialise(AlgorithmLibrary::kApplicationMaxBlock);
    TestDir tmp;
    const std::string path = tmp.file("44100-2-16-music.wav");
    const auto seconds = static_cast<int32_t>(measured.count() / 1000 + 3);
    AudioTest::writeSystemFile(path, musicFrames(seconds * kRate), 2);
    WaveDeviceVirtual::Settings settings; // real time, output to nowhere
    AEMMEDevice device([settings](WaveDirection direction, int number,
                                  WaveDevice::DoneCallback callback, WaveResult& result) {
        return WaveDeviceVirtual::open(direction, number, std::move(callback), settings, result);
    });
    AEAudioEngine engine(device);
    device.open();
    engine.startThread();
    engine.setMetersEnabled(true);
    for (auto _ : state) {
        for (int32_t slot = 0; slot < 6; ++slot) {
            engine.createProcessor(slot, 0.5f);
        }
        engine.createProcessor(7, 0.0f);
        engine.createProcessor(6, 0.0f);
        engine.setFilePath(path);
        engine.seek(0);
        if (!engine.play()) {
            state.SkipWithError("the engine did not play");
            break;
        }
        std::this_thread::sleep_for(1s);
        engine.resetTurnStats();
        int32_t loadPeak = 0;
        const auto end = std::chrono::steady_clock::now() + measured;
        while (std::chrono::steady_clock::now() < end) {
            loadPeak = std::max(loadPeak, engine.load());
            std::this_thread::sleep_for(2ms);
        }
        const double longestMs = static_cast<double>(engine.longestTurnMicros()) / 1000.0;
        engine.stop();
        state.counters["load_peak"] = loadPeak;
        state.counters["longest_turn_ms"] = longestMs;
        state.counters["buffer_ms"] = device.bufferMilliseconds(true);
        state.counters["turn_per_buffer"] = longestMs / device.bufferMilliseconds(true);
    }
    engine.stopThread();
    device.close();
    AlgorithmLibrary::shutdown();
}

void BM_LivePlaybackAllControlsHalf(benchmark::State& state) {
    liveLoad(state, 5s);
}

BENCHMARK(BM_LivePlaybackAllControlsHalf)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
