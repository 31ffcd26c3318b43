// Conversion speed of the import of a foreign file: a 10-minute 96 kHz 24-bit stereo WAVE
// (GLEAM_BENCH_SECONDS to change; made by sox in a temporary folder) read as 44.1 kHz
// 16-bit stereo: decoding, rate conversion and dither, without the write. The counter
// "x_realtime" is audio seconds per second of work. Target: well above 20x real time, so
// an hour of recording converts in under three minutes.
#include "TitleFormatReader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct BenchFile {
    std::string dir;
    std::string path;
    int seconds = 600;

    BenchFile() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/gleam-bench.XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        dir = pattern;
        if (const char* text = std::getenv("GLEAM_BENCH_SECONDS")) {
            seconds = std::max(1, std::atoi(text));
        }
        path = dir + "/96000-2-24-" + std::to_string(seconds) + "s.wav";
        // Broadband content: pink noise on the left, a tone on the right.
        const std::string command = "sox -n -r 96000 -b 24 -c 2 '" + path + "' synth " +
                                    std::to_string(seconds) +
                                    " pinknoise sine 997 vol 0.3 >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "sox could not make %s\n", path.c_str());
            std::exit(1);
        }
    }
    ~BenchFile() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
};

BenchFile& benchFile() {
    static BenchFile file;
    return file;
}

void BM_ImportConversion96k24(benchmark::State& state) {
    const BenchFile& file = benchFile();
    std::vector<int16_t> block(static_cast<size_t>(TitleFormatReader::kMaxBlock) * 2);
    int64_t frames = 0;
    for (auto _ : state) {
        TitleFormatReader reader;
        if (!reader.open(file.path)) {
            state.SkipWithError("the file could not be opened");
            return;
        }
        for (int32_t got; (got = reader.read(block.data(), TitleFormatReader::kMaxBlock)) > 0;) {
            frames += got;
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / 44100.0, benchmark::Counter::kIsRate);
    state.SetItemsProcessed(frames);
}

BENCHMARK(BM_ImportConversion96k24)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
