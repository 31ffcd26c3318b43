// Drawing the waveform of a 60-minute title, offscreen, per repaint, at the narrowest
// (256 frames per column) and the widest zoom (524 288: 2 048 peak records per column)
// and the default one, in the size the main window gives the view. The view draws from
// the peak file only. Target: under 8 ms per repaint, so the view follows playback.
#include "AEApplication.h"
#include "AEPeakData.h"
#include "AEWaveformView.h"
#include "BenchFiles.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>

namespace {

constexpr int32_t kFrames = 60 * 60 * 44100;

struct HourLongTitle {
    ProjectBench::TempFolder folder;
    std::unique_ptr<AEApplication> app;
    std::unique_ptr<AEWaveformView> view;
    QImage image{690, 100, QImage::Format_RGB32};

    HourLongTitle() {
        // The settings store stays in the bench's own folder.
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder.file("config")));
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(folder.file("state")));
        app = std::make_unique<AEApplication>();
        app->setSaveSettingsAtExit(false);
        const std::string projectPath = folder.file("hour.dat");
        app->setProject(AEProject::createForPath(projectPath), projectPath);
        AEProject& project = *app->project();
        project.addTitle(true);
        AETitle& title = *project.title(0);
        title.setAudioBase(folder.file("44100-2-16-60min"));
        title.setLength(kFrames);
        title.setFadePoint(0, 44100);
        title.setFadePoint(1, 5 * 44100);
        title.setFadePoint(2, kFrames - 10 * 44100);
        title.setFadePoint(3, kFrames - 44100);
        // A peak file with a varying outline; the audio itself is never read.
        std::ofstream out(AEPeakData::peakPath(title.currentAudioPath()), std::ios::binary);
        for (int64_t k = 0; k <= kFrames / 256; ++k) {
            const auto v = static_cast<int8_t>(60 + 60 * std::sin(static_cast<double>(k) / 700.0));
            const int8_t block[4] = {static_cast<int8_t>(-v), v, static_cast<int8_t>(-v / 2),
                                     static_cast<int8_t>(v / 2)};
            out.write(reinterpret_cast<const char*>(block), 4);
        }
        out.close();
        view = std::make_unique<AEWaveformView>(*app);
        view->resize(image.size());
        view->refresh();
        if (view->peaks().state() != AEWaveformPeaks::State::kReady) {
            std::fprintf(stderr, "the peak file was not read\n");
            std::exit(1);
        }
    }
};

HourLongTitle& hour() {
    static HourLongTitle title;
    return title;
}

void BM_DrawHourLongTitle(benchmark::State& state) {
    HourLongTitle& h = hour();
    h.app->project()->title(0)->setZoom(static_cast<int32_t>(state.range(0)));
    h.view->refresh();
    while (h.view->zoom() != state.range(0)) {
        state.range(0) < h.view->zoom() ? h.view->zoomIn() : h.view->zoomOut();
    }
    // In the middle of the title, where a user listens.
    h.view->scrollTo(kFrames / 2);
    for (auto _ : state) {
        h.view->render(&h.image);
        benchmark::DoNotOptimize(h.image.constBits());
    }
    state.counters["columns"] = h.view->width();
    state.counters["records_per_column"] = static_cast<double>(state.range(0) / 256);
}
BENCHMARK(BM_DrawHourLongTitle)->Arg(256)->Arg(32768)->Arg(524288)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication qt(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    hour().view.reset();
    hour().app.reset();
    return 0;
}
