// Taking a 30-minute title out of the program: the WAVE export (32 767-byte chunks, written
// beside the destination, synced and moved into place) against a plain read()/write()
// copy of the same bytes in 1 MB blocks with and without sync, and the stereo copy of a 30-minute
// mono file made by the WAVE import. Files come from the page cache after the first pass;
// both writers go to the same disk.
#include "AEFileCopy.h"
#include "AEMonoToStereo.h"
#include "BenchFiles.h"

#include "FFileSystem.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int64_t kFrames = 30LL * 60 * 44100;

struct Files {
    ProjectBench::TempFolder folder;
    std::string stereo = folder.file("44100-2-16-30min.wav");
    std::string mono = folder.file("44100-1-16-30min.wav");
    Files() {
        if (!ProjectBench::writeWave(stereo, kFrames) ||
            !ProjectBench::writeWave(mono, kFrames, 1)) {
            std::fprintf(stderr, "cannot write the benchmark files\n");
            std::exit(1);
        }
    }
};

Files& files() {
    static Files made;
    return made;
}

void plainCopy(benchmark::State& state, bool sync) {
    const std::string& from = files().stereo;
    const std::string to = files().folder.file("plain.wav");
    std::vector<char> block(1 << 20);
    for (auto _ : state) {
        const int in = ::open(from.c_str(), O_RDONLY);
        const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ssize_t got;
        while ((got = ::read(in, block.data(), block.size())) > 0) {
            if (::write(out, block.data(), static_cast<size_t>(got)) != got) {
                state.SkipWithError("write failed");
                break;
            }
        }
        if (sync) {
            ::fsync(out);
        }
        ::close(in);
        ::close(out);
    }
    state.SetBytesProcessed(state.iterations() * FFileSystem::size(from));
}

void BM_PlainCopy(benchmark::State& state) {
    plainCopy(state, false);
}
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainCopySynced(benchmark::State& state) {
    plainCopy(state, true);
}
BENCHMARK(BM_PlainCopySynced)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExportCopy(benchmark::State& state) {
    const std::string& from = files().stereo;
    const std::string to = files().folder.file("export.wav");
    for (auto _ : state) {
        if (AEFileCopy::copyFile(from, to) != AEFileCopy::kCopied) {
            state.SkipWithError("export failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * FFileSystem::size(from));
}
BENCHMARK(BM_ExportCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MonoToStereo(benchmark::State& state) {
    const std::string directory = files().folder.file("");
    for (auto _ : state) {
        std::string path = files().mono;
        if (!convertMonoToStereo(path, directory)) {
            state.SkipWithError("conversion failed");
            return;
        }
    }
    // Bytes written: the stereo copy.
    state.SetBytesProcessed(state.iterations() * kFrames * 4);
}
BENCHMARK(BM_MonoToStereo)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
