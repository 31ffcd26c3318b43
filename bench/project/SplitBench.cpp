// Finding the songs of a 25-minute side: seven worn-record songs of three to four minutes
// (the demo generator's music, hiss, clicks and crackle) with two seconds of surface
// noise between them, split as "Split at silences..." does (reading the title's file,
// measuring its level, finding its gaps). The file comes from the page cache after the
// first pass. Target: under 2 s. BM_LevelMeter is the level measure alone, on memory.
#include "AETitleSplit.h"
#include "BenchFiles.h"
#include "SilenceLevelMeter.h"
#include "WornRecord.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int32_t kRate = 44100;
constexpr int32_t kSongs = 7;
constexpr int32_t kGapFrames = 2 * kRate;

struct Side {
    ProjectBench::TempFolder folder;
    std::string path = folder.file("44100-2-16-25min.wav");
    std::vector<int16_t> samples;
    AEProject project;
    Side() {
        std::vector<int16_t> piece;
        WornRecordOptions noise;
        noise.musicPeak = 0.0;
        noise.hissRms = 0.001;
        noise.frames = kGapFrames;
        for (int32_t s = 0; s < kSongs; ++s) {
            noise.seed = 100 + s;
            makeWornRecord(noise, piece);
            samples.insert(samples.end(), piece.begin(), piece.end());
            WornRecordOptions song;
            song.seed = 1 + s;
            song.frames = (25 * 60 * kRate - kSongs * kGapFrames) / kSongs;
            makeWornRecord(song, piece);
            samples.insert(samples.end(), piece.begin(), piece.end());
        }
        AudioFile file(path);
        const auto frames = static_cast<int32_t>(samples.size() / 2);
        const bool created = file.create();
        file.setChannels(2);
        file.setClientFormat(file.fileFormat());
        if (!created || file.write(frames, samples.data()) != frames || !file.close() ||
            !project.addImportedFile(path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::exit(1);
        }
    }
};

Side& side() {
    static Side made;
    return made;
}

void BM_SplitSide(benchmark::State& state) {
    side(); // made once, outside the timing
    for (auto _ : state) {
        AETitleSplit::Proposal proposal;
        if (AETitleSplit::propose(side().project, 0, {}, proposal) != AETitleSplit::kDone ||
            proposal.songs.size() != kSongs) {
            state.SkipWithError("the songs were not found");
            return;
        }
        benchmark::DoNotOptimize(proposal.fades.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(side().samples.size()) * 2);
}
BENCHMARK(BM_SplitSide)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LevelMeter(benchmark::State& state) {
    const std::vector<int16_t>& samples = side().samples; // made once, outside the timing
    const auto frames = static_cast<int32_t>(samples.size() / 2);
    std::vector<float> energies;
    energies.reserve(static_cast<size_t>(frames / SilenceLevelMeter::kHopFrames + 1));
    for (auto _ : state) {
        energies.clear();
        SilenceLevelMeter meter;
        meter.feed(samples.data(), frames, energies);
        meter.finish(energies);
        benchmark::DoNotOptimize(energies.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(samples.size()) * 2);
}
BENCHMARK(BM_LevelMeter)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
