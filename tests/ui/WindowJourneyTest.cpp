// One session through the window on the virtual sound card: a worn record is recorded
// (drawn as it grows), heard through the faders, restored by the processing run and
// exported. What the engine records and plays sample for sample, and what the run
// restores, is checked in tests/engine and tests/project: here the clicks tell that the
// window's faders and commands reached the chain and the run.
#include "AEDialogCommands.h"
#include "AEMainView.h"
#include "AEMainWindow.h"
#include "AEProcessedFile.h"
#include "AEProcessingRun.h"
#include "AEWaveformView.h"
#include "AEWindowTransport.h"
#include "EngineTestSupport.h"
#include "ListWaveformTestSupport.h"
#include "WindowHarness.h"
#include "WornRecord.h"
#include "support/WaitFor.h"

#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr int32_t kRate = 44100;

// 12 s of worn record under hiss at −55 dBFS.
std::vector<int16_t> wornInput() {
    WornRecordOptions options;
    options.frames = 12 * kRate;
    options.hissRms = std::pow(10.0, -55.0 / 20.0);
    std::vector<int16_t> worn;
    makeWornRecord(options, worn);
    return worn;
}

// Clicks on the left channel: second differences beyond what music, hiss and crackle
// reach, those closer than 32 frames counted as one.
int clicksIn(const std::vector<int16_t>& samples) {
    int clicks = 0;
    for (size_t i = 2, last = 0; i < samples.size() / 2; ++i) {
        if (std::abs(samples[2 * i] - 2 * samples[2 * i - 2] + samples[2 * i - 4]) > 20000) {
            clicks += i > last + 32 ? 1 : 0;
            last = i;
        }
    }
    return clicks;
}

class WindowJourneyTest : public WindowTest {
protected:
    WindowJourneyTest() : WindowTest(Start::kOpenWindow) {}
    void SetUp() override {
        const std::string input = dir_.file("44100-2-16-worn-12s.wav");
        ASSERT_TRUE(EngineTest::writeWave(input, wornInput()));
        setenv("GLEAM_VIRTUAL_INPUT", input.c_str(), 1);
        WindowTest::SetUp();
    }
    AEMainView& view() { return window_->view(); }
    // Click removal and noise reduction at the faders, as the user sets them.
    void setFaders(int32_t click, int32_t noise) {
        for (const auto& [slot, value] : {std::pair{0, click}, std::pair{2, noise}}) {
            view().slider(slot)->setValue(value);
            view().processorSwitch(slot)->setChecked(true);
        }
    }
    // The faders and switches show what `title` holds (and what playback will apply).
    bool fadersShow(const AETitle& title) {
        for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
            if (view().slider(slot)->value() != title.processorParam(slot) ||
                view().processorSwitch(slot)->isChecked() != title.processorEnabled(slot)) {
                return false;
            }
        }
        return true;
    }
    bool idle() { return !app_->isBusy() && !window_->dialogCommands().working(); }
};

} // namespace

TEST_F(WindowJourneyTest, AWornRecordIsRecordedHeardRestoredAndExported) {
    // A new project; the faders set, then a recording from the card until it holds 9.5 s.
    chooser_.answers.push_back(QString::fromStdString(dir_.file("Records.dat")));
    window_->command(AEMainWindow::kNewProject);
    ASSERT_TRUE(window_->projectLoaded());
    AEProject& project = *app_->project();
    setFaders(300000, 300000);
    view().button(AEMainView::kRecord)->click();
    ASSERT_TRUE(window_->transport().recording());
    // The new title starts with every stage off, and the faders say so.
    EXPECT_TRUE(fadersShow(*project.title(0)));
    // The waveform draws the recording's own peaks as it grows (no worker reads the
    // growing file), without points; once stopped, the file's peaks.
    ASSERT_TRUE(waitFor([&] { return app_->engine().position() >= kRate; }, 30000));
    AEWaveformView& wave = window_->waveform();
    window_->refreshWaveform();
    ASSERT_TRUE(wave.hasTitle());
    EXPECT_EQ(wave.peaks().state(), AEWaveformPeaks::State::kNone);
    const QImage live = ListWaveformTest::render(wave);
    EXPECT_GT(ListWaveformTest::count(live, AEWaveformView::kWaveform, QRect(0, 6, 20, 77)), 20);
    EXPECT_EQ(ListWaveformTest::count(live, AEWaveformView::kSelection), 0);
    EXPECT_GE(wave.endColumn(), 1);
    ASSERT_TRUE(waitFor([&] { return app_->engine().position() >= 9.5 * kRate; }, 30000));

    // The export's file dialog, cancelled, has stopped it: a title by the 7-second rule.
    window_->command(AEMainWindow::kExportAudio);
    ASSERT_EQ(chooser_.titles.size(), 2u);
    EXPECT_FALSE(window_->transport().recording());
    EXPECT_TRUE(dialogs_.alerts.empty());
    ASSERT_EQ(project.titleCount(), 1);
    AETitle& title = *project.title(0);
    const std::string recorded = title.currentAudioPath();
    const std::vector<int16_t> recording = EngineTest::readStereo16(recorded);
    const auto length = static_cast<int32_t>(recording.size() / 2);
    ASSERT_GE(length, 9.5 * kRate);
    ASSERT_LT(length, 11 * kRate);
    const int32_t fade = AEWindowTransport::kRecordedFadeFrames;
    EXPECT_EQ(title.fadePoint(0), 0);
    EXPECT_EQ(title.fadePoint(1), fade);
    EXPECT_EQ(title.fadePoint(2), length - fade);
    EXPECT_EQ(title.fadePoint(3), length);
    wave.refresh();
    wave.peaks().waitForBuild();
    EXPECT_EQ(wave.peaks().state(), AEWaveformPeaks::State::kReady);
    EXPECT_GT(ListWaveformTest::count(ListWaveformTest::render(wave), AEWaveformView::kSelection),
              100);
    EXPECT_EQ(app_->engine().rangeEnd(), length);
    // The disc now has that much less room: the title and its pause of 2 s.
    EXPECT_TRUE(view().remainingTime().startsWith(QStringLiteral("79:4")))
        << view().remainingTime().toStdString();
    const int clicksRecorded = clicksIn(recording);
    ASSERT_GE(clicksRecorded, 20);

    // Click removal and noise reduction for this title.
    setFaders(500000, 600000);
    const ProcessingSettings settings = titleSettings(title, length);
    ASSERT_TRUE(settings.runs(0) && settings.runs(2) && !settings.runs(1));

    // Enter plays the title to the card at full speed, its clicks repaired on the way.
    const std::string played = dir_.file("speakers.wav");
    setenv("GLEAM_VIRTUAL_PACE", "fast", 1);
    setenv("GLEAM_VIRTUAL_OUTPUT", played.c_str(), 1);
    QTest::keyClick(&view(), Qt::Key_Return);
    ASSERT_TRUE(window_->transport().playing());
    ASSERT_TRUE(waitFor([&] { return !window_->transport().playing(); }, 60000));
    ASSERT_TRUE(waitFor([&] { return !app_->engine().isPlayingOrRecording(); }, 5000));
    const std::vector<int16_t> heard = EngineTest::readStereo16(played);
    EXPECT_GE(heard.size() / 2, static_cast<size_t>(length));
    EXPECT_LT(clicksIn(heard), clicksRecorded / 4);

    // Processing the title: a new file, restored, that the title now plays with its
    // stages off, and the faders and the engine follow.
    window_->control(AEMainView::kProcessCurrent, 1);
    ASSERT_TRUE(app_->isBusy());
    ASSERT_TRUE(waitFor([&] { return idle(); }, 120000));
    ASSERT_TRUE(title.processState().isProcessed());
    const std::string processed = title.currentAudioPath();
    EXPECT_NE(processed, recorded);
    EXPECT_EQ(app_->engine().filePath(), processed);
    EXPECT_FALSE(title.processorEnabled(0) || title.processorEnabled(2));
    EXPECT_TRUE(fadersShow(title));
    const std::vector<int16_t> restored = EngineTest::readStereo16(processed);
    ASSERT_EQ(restored.size(), recording.size());
    EXPECT_LE(clicksIn(restored), clicksRecorded / 10);

    // The export holds, sample for sample, what a run of the recording with the title's
    // settings writes.
    const std::string exported = dir_.file("export/Side A.wav");
    std::filesystem::create_directories(dir_.file("export"));
    chooser_.answers.push_back(QString::fromStdString(exported));
    window_->command(AEMainWindow::kExportAudio);
    ASSERT_TRUE(waitFor([&] { return idle(); }, 30000));
    EXPECT_TRUE(dialogs_.alerts.empty());
    AEProcessedFile expected(dir_.file("expected.wav"));
    ASSERT_EQ(restoreFile(recorded, expected, settings), AERunResult::kDone);
    const std::vector<int16_t> exportedSamples = EngineTest::readStereo16(exported);
    ASSERT_EQ(exportedSamples.size(), recording.size());
    EXPECT_TRUE(exportedSamples == EngineTest::readStereo16(expected.path()));
}
