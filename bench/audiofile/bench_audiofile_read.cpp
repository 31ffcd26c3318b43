// The direct read path of AudioFile against plain read() of the same bytes: a large
// 44.1 kHz 16-bit stereo WAVE file (200 MB; GLEAM_BENCH_MB to change) read in blocks of
// 4096 frames. Both read from the page cache after the first pass, so the figure is the
// cost of the path itself. Target: AudioFile at least 0.8 of plain reads.
#include "AudioFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int32_t kBlockFrames = 4096;
constexpr int32_t kBytesPerFrame = 4;

struct BenchFile {
    std::string dir;
    std::string path;
    int64_t frames = 0;

    BenchFile() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/gleam-bench.XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!mkdtemp(buffer.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        dir = buffer.data();
        const char* megabytes = std::getenv("GLEAM_BENCH_MB");
        const int64_t bytes = (megabytes ? std::atoll(megabytes) : 200) * 1000 * 1000;
        frames = bytes / kBytesPerFrame;
        path = dir + "/44100-2-16-large.wav";
        AudioFile file(path);
        if (!file.create()) {
            std::fprintf(stderr, "cannot create %s\n", path.c_str());
            std::exit(1);
        }
        file.setChannels(2);
        file.setClientFormat(file.fileFormat());
        std::vector<int16_t> block(2 * kBlockFrames);
        for (int64_t done = 0; done < frames; done += kBlockFrames) {
            for (size_t i = 0; i < block.size(); ++i) {
                block[i] = static_cast<int16_t>((done + static_cast<int64_t>(i)) * 31);
            }
            file.write(static_cast<int32_t>(std::min<int64_t>(kBlockFrames, frames - done)),
                       block.data());
        }
        file.close();
    }
    ~BenchFile() {
        std::error_code error;
        std::filesystem::remove_all(dir, error);
    }
};

BenchFile& benchFile() {
    static BenchFile file;
    return file;
}

void BM_AudioFileDirectRead(benchmark::State& state) {
    BenchFile& bench = benchFile();
    std::vector<int16_t> block(2 * kBlockFrames);
    int64_t bytes = 0;
    for (auto _ : state) {
        AudioFile file(bench.path);
        if (!file.open(FAccessMode::kRead)) {
            state.SkipWithError("open failed");
            return;
        }
        int32_t got;
        while ((got = file.read(kBlockFrames, block.data())) > 0) {
            bytes += static_cast<int64_t>(got) * kBytesPerFrame;
        }
        file.close();
        benchmark::DoNotOptimize(block.data());
    }
    state.SetBytesProcessed(bytes);
}

void BM_PlainRead(benchmark::State& state) {
    BenchFile& bench = benchFile();
    std::vector<int16_t> block(2 * kBlockFrames);
    int64_t bytes = 0;
    for (auto _ : state) {
        int fd = ::open(bench.path.c_str(), O_RDONLY);
        if (fd < 0) {
            state.SkipWithError("open failed");
            return;
        }
        ::lseek(fd, 44, SEEK_SET);
        ssize_t got;
        while ((got = ::read(fd, block.data(), kBlockFrames * kBytesPerFrame)) > 0) {
            bytes += got;
        }
        ::close(fd);
        benchmark::DoNotOptimize(block.data());
    }
    state.SetBytesProcessed(bytes);
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_AudioFileDirectRead)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// Collects the throughput of both runs to print their ratio at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            auto it = run.counters.find("bytes_per_second");
            if (it == run.counters.end()) {
                continue;
            }
            if (run.benchmark_name().find("PlainRead") != std::string::npos) {
                plain = it->second;
            } else if (run.benchmark_name().find("AudioFileDirectRead") != std::string::npos) {
                audioFile = it->second;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double plain = 0.0;
    double audioFile = 0.0;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchFile(); // made before timing starts
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.plain > 0.0 && reporter.audioFile > 0.0) {
        std::printf("AudioFile direct read / plain read(): %.2f (target >= 0.80)\n",
                    reporter.audioFile / reporter.plain);
    }
    benchmark::Shutdown();
    return 0;
}
