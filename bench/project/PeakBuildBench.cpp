// Building the peak file of a 30-minute WAVE file against reading the same bytes with
// plain read() in 1 MB blocks. Both read from the page cache after the first pass, so the
// figure is the cost of the peak path itself. Target: at least 0.7 of plain reads.
#include "AEPeakData.h"
#include "BenchFiles.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int64_t kFrames = 30LL * 60 * 44100;

struct ThirtyMinutes {
    ProjectBench::TempFolder folder;
    std::string path = folder.file("44100-2-16-30min.wav");
    ThirtyMinutes() {
        if (!ProjectBench::writeWave(path, kFrames)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::exit(1);
        }
    }
};

ThirtyMinutes& thirtyMinutes() {
    static ThirtyMinutes file;
    return file;
}

void BM_PlainRead(benchmark::State& state) {
    const std::string& path = thirtyMinutes().path;
    std::vector<char> block(1 << 20);
    int64_t bytes = 0;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        ssize_t got;
        while ((got = ::read(fd, block.data(), block.size())) > 0) {
            bytes += got;
        }
        ::close(fd);
        benchmark::DoNotOptimize(block.data());
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PeakBuild(benchmark::State& state) {
    const std::string& path = thirtyMinutes().path;
    for (auto _ : state) {
        AudioFile file(path);
        AEPeakData peaks(&file);
        if (!peaks.compute()) {
            state.SkipWithError("peak building failed");
            return;
        }
        benchmark::DoNotOptimize(peaks.data());
    }
    state.SetBytesProcessed(state.iterations() * (kFrames * 4 + 44));
}
BENCHMARK(BM_PeakBuild)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
