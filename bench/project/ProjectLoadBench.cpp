// Opening a project of 99 titles of 7 s each: reading the project file, checking every
// title's audio file and taking its length. Target: under 0.3 s.
#include "AEProject.h"
#include "BenchFiles.h"

#include <benchmark/benchmark.h>

namespace {

struct NinetyNineTitles {
    ProjectBench::TempFolder folder;
    std::string path = folder.file("99 titles.dat");
    NinetyNineTitles() {
        AEProject project;
        for (int32_t i = 0; i < AEProject::kMaxTitles; ++i) {
            const std::string base = folder.file("Title_" + std::to_string(i));
            if (!ProjectBench::writeWave(base + ".wav", 308700) || !project.addTitle(true)) {
                std::fprintf(stderr, "cannot make title %d\n", i);
                std::exit(1);
            }
            project.title(i)->setAudioBase(base);
        }
        if (!project.save(path)) {
            std::fprintf(stderr, "cannot save %s\n", path.c_str());
            std::exit(1);
        }
    }
};

void BM_LoadNinetyNineTitles(benchmark::State& state) {
    static NinetyNineTitles project;
    for (auto _ : state) {
        auto loaded = AEProject::load(project.path);
        if (!loaded || loaded->titleCount() != AEProject::kMaxTitles) {
            state.SkipWithError("the project did not load whole");
            return;
        }
        benchmark::DoNotOptimize(loaded.get());
    }
}
BENCHMARK(BM_LoadNinetyNineTitles)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
