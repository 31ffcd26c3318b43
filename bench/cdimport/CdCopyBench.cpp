// Copying a 5-minute audio track from a CD image (CUE/BIN in a temporary folder, read from
// the page cache after the first pass): cdio-paranoia's verified reads alone, and the
// whole import run that writes the WAVE file and moves it into place. The counter
// "xRealTime" is seconds of audio copied per second. Target: at least 50 times real time.
#include "AECDImport.h"
#include "BenchFiles.h"
#include "CddaDrive.h"
#include "CddaDriveList.h"
#include "CddaTrackCopy.h"

#include "support/CdImage.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

constexpr int32_t kSectors = 5 * 60 * 75;

struct Disc {
    Disc() { setenv("GLEAM_CD_IMAGES", image.cuePath().c_str(), 1); }
    ProjectBench::TempFolder folder;
    CdTest::CdImage image{std::filesystem::path(folder.file("x")).parent_path().string(),
                          "bench-22500",
                          {{kSectors}}};
};

Disc& disc() {
    static Disc made;
    return made;
}

class NullSink : public CddaSink {
public:
    int32_t writeSectors(const int16_t*, int32_t) override { return kCddaOk; }
};

void setRealTime(benchmark::State& state) {
    const double seconds = static_cast<double>(kSectors) / kCddaSectorsPerSecond;
    state.counters["xRealTime"] = benchmark::Counter(
        seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ParanoiaRead(benchmark::State& state) {
    CddaDriveInfo info;
    info.source = disc().image.cuePath();
    info.image = true;
    CddaDrive drive(info);
    NullSink sink;
    for (auto _ : state) {
        CddaTrackCopy copy(drive, sink, 0, kSectors);
        if (copy.copy() != kCddaOk) {
            state.SkipWithError("copy failed");
            return;
        }
    }
    setRealTime(state);
}
BENCHMARK(BM_ParanoiaRead)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportRunToWave(benchmark::State& state) {
    AECDImport import(AECDImport::Target{});
    import.setSelectedReader(CddaDriveList().count() - 1);
    import.fillLists();
    import.setImportName(disc().folder.file("track.wav"));
    import.setRowSelected(0, true);
    for (auto _ : state) {
        if (import.copyTracks().files.size() != 1) {
            state.SkipWithError("copy failed");
            return;
        }
    }
    setRealTime(state);
}
BENCHMARK(BM_ImportRunToWave)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
