// The main window's transport on the virtual sound card: recording and the stop procedure
// with its 7-second rule, winding, the keyboard table, the settings clipboard, changes
// under a running transport and the live displays (meters, the waveform's cursor). The faders heard
// through the playback chain: WindowJourneyTest.
#include "AEWindowTransport.h"
#include "AEApplication.h"
#include "AEDialogCommands.h"
#include "AEMainView.h"
#include "AEMainWindow.h"
#include "AEMeterBar.h"
#include "AETrackListDisplay.h"
#include "AEWaveformView.h"
#include "EngineTestSupport.h"
#include "WindowHarness.h"
#include "support/TestDirs.h"
#include "support/TestSignals.h"

#include <QAction>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

namespace {

using State = AEMainView::TransportState;

constexpr int32_t kRate = 44100;

// Interleaved stereo frames of a sine of `frequency` Hz at `amplitude` (full scale 32767).
std::vector<int16_t> sine(double seconds, double frequency, double amplitude) {
    return TestSignals::sine16(static_cast<int64_t>(seconds * kRate), 2, frequency, kRate,
                               amplitude * 32767.0);
}

class AETransportTest : public WindowTest {
protected:
    AETransportTest() : WindowTest(Start::kOpenWindow) {}
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        chooser_.answers.push_back(QString::fromStdString(dir_.file("Tapes.dat")));
        window_->command(AEMainWindow::kNewProject);
        ASSERT_NE(app_->project(), nullptr);
        ASSERT_TRUE(window_->projectLoaded());
    }

    AEMainView& view() { return window_->view(); }
    AEProject& project() { return *app_->project(); }
    AEAudioEngine& engine() { return app_->engine(); }
    void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&view(), static_cast<Qt::Key>(k), modifiers);
    }
    void typed(char c) { QTest::keyClick(&view(), c); }

    // Adds a title made of `samples`, named by its parameters, and makes it current.
    void addTitle(const std::string& name, const std::vector<int16_t>& samples) {
        const std::string path = dir_.file(name + ".wav");
        ASSERT_TRUE(EngineTest::writeWave(path, samples));
        ASSERT_TRUE(project().addImportedFile(path));
        window_->currentTitleChanged();
    }
};

} // namespace

// --- The stop procedure -----------------------------------------------------------------

TEST_F(AETransportTest, ARecordingTheEngineEndsByItselfKeepsTheSameRule) {
    view().button(AEMainView::kRecord)->click();
    ASSERT_TRUE(waitUntil([&] { return engine().position() > 0; }, 10));
    // The engine stops as at its record limit, and tells the window by message.
    engine().stop();
    ASSERT_TRUE(waitUntil([&] { return !dialogs_.alerts.empty(); }, 5));
    EXPECT_EQ(dialogs_.alerts[0], stdText(3105));
    EXPECT_EQ(project().titleCount(), 0);
    EXPECT_EQ(view().transportState(), State::kStopped);
    QTest::qWait(100);
    EXPECT_EQ(dialogs_.alerts.size(), 1u) << "told once";
}

TEST_F(AETransportTest, TheStopMessageOfAnEarlierRecordingLeavesANewOneRunning) {
    view().button(AEMainView::kRecord)->click();
    view().button(AEMainView::kStop)->click();
    // Recording again before the first recording's message has arrived.
    view().button(AEMainView::kRecord)->click();
    ASSERT_EQ(engine().state(), AEAudioEngine::kRecording);
    QTest::qWait(200);
    EXPECT_EQ(engine().state(), AEAudioEngine::kRecording);
    EXPECT_TRUE(window_->transport().recording());
    EXPECT_EQ(project().titleCount(), 1);
    view().button(AEMainView::kStop)->click();
    EXPECT_EQ(project().titleCount(), 0);
    EXPECT_EQ(dialogs_.alerts, std::vector<std::string>(2, stdText(3105)));
    // The short recordings went with their files.
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
        EXPECT_EQ(entry.path().filename().string().find("Title_"), std::string::npos)
            << entry.path();
    }
}

TEST_F(AETransportTest, ATitleWhoseFileIsAwayIsRefusedUntilRefreshFindsItBack) {
    addTitle("44100-2-16-sine-8s", sine(8.0, 440.0, 0.3));
    const std::string path = project().title(0)->currentAudioPath();
    std::filesystem::rename(path, path + ".away");
    view().button(AEMainView::kPlay)->click();
    EXPECT_EQ(engine().state(), AEAudioEngine::kIdle);
    ASSERT_TRUE(waitUntil([&] { return !dialogs_.alerts.empty(); }, 5));
    EXPECT_NE(dialogs_.alerts[0].find(path), std::string::npos) << dialogs_.alerts[0];
    window_->command(AEMainWindow::kRefresh);
    ASSERT_EQ(window_->trackList().rows().size(), 1u);
    EXPECT_TRUE(window_->trackList().rows()[0].missing);
    EXPECT_EQ(window_->trackList().rows()[0].length.toStdString(), stdText(3280));

    std::filesystem::rename(path + ".away", path);
    window_->command(AEMainWindow::kRefresh);
    EXPECT_FALSE(window_->trackList().rows()[0].missing);
    view().button(AEMainView::kPlay)->click();
    EXPECT_EQ(engine().state(), AEAudioEngine::kPlaying);
    view().button(AEMainView::kStop)->click();
    EXPECT_EQ(dialogs_.alerts.size(), 1u);
}

// --- Keys ----------------------------------------------------------------------------------

TEST_F(AETransportTest, KeysDriveTheTransport) {
    addTitle("44100-2-16-sine-1000Hz-full-10s", sine(10.0, 1000.0, 1.0));
    // Enter plays; the meters, the clip marks and the position follow the sound (with
    // bypass on, full scale stays above the clip level).
    view().button(AEMainView::kBypass)->setChecked(true);
    EXPECT_TRUE(engine().playbackSwitches()->bypassButton());
    key(Qt::Key_Return);
    ASSERT_EQ(engine().state(), AEAudioEngine::kPlaying);
    EXPECT_EQ(view().transportState(), State::kPlaying);
    EXPECT_TRUE(waitUntil([&] { return view().meter(0)->level() > 90; }, 5));
    EXPECT_TRUE(waitUntil([&] { return view().meter(0)->clipped(); }, 5));
    EXPECT_FALSE(view().meter(2)->clipped());
    EXPECT_TRUE(waitUntil([&] { return view().positionText() != QStringLiteral("0:00:00"); }, 5));
    window_->show();
    // The waveform's cursor moves on with what is heard (past what the card holds).
    const AEWaveformView& wave = window_->waveform();
    ASSERT_TRUE(waitUntil([&] { return wave.cursorColumn() >= 0; }, 5));
    const int32_t column = wave.cursorColumn();
    QTest::qWait(500);
    EXPECT_GT(wave.cursorColumn(), column + 5) << "10 s fitted to the width";
    // Space stops.
    key(Qt::Key_Space);
    EXPECT_EQ(view().transportState(), State::kStopped);
    EXPECT_TRUE(waitUntil([&] { return engine().state() == AEAudioEngine::kIdle; }, 2));
    EXPECT_GT(engine().position(), 0);
    // The clip marks stay lit until clicked.
    EXPECT_TRUE(view().meter(1)->clipped());
    QTest::mouseClick(view().meter(1), Qt::LeftButton);
    EXPECT_FALSE(view().meter(0)->clipped());
    EXPECT_FALSE(view().meter(1)->clipped());
    EXPECT_FALSE(engine().clipFlag(0));
    // 0 goes back to the start.
    typed('0');
    EXPECT_EQ(engine().position(), 0);
    EXPECT_EQ(view().positionText(), QStringLiteral("0:00:00"));
    // Space plays again; 0 while playing stops.
    key(Qt::Key_Space);
    EXPECT_EQ(engine().state(), AEAudioEngine::kPlaying);
    typed('0');
    EXPECT_EQ(view().transportState(), State::kStopped);
    EXPECT_FALSE(engine().isPlayingOrRecording());

    // * records; Space stops (what becomes of a short recording: the tests above).
    typed('*');
    EXPECT_EQ(engine().state(), AEAudioEngine::kRecording);
    EXPECT_FALSE(view().button(AEMainView::kPlay)->isEnabled());
    key(Qt::Key_Return); // not while recording
    EXPECT_EQ(engine().state(), AEAudioEngine::kRecording);
    key(Qt::Key_Space);
    EXPECT_EQ(engine().state(), AEAudioEngine::kIdle);
    EXPECT_TRUE(view().button(AEMainView::kRecord)->isEnabled());
}

TEST_F(AETransportTest, ArrowKeysStepThroughTheTitlesAndDeleteRemovesOne) {
    addTitle("44100-2-16-sine-440Hz-8s", sine(8.0, 440.0, 0.3));
    addTitle("44100-2-16-sine-880Hz-9s", sine(9.0, 880.0, 0.3));
    ASSERT_EQ(project().currentTitle(), 1);
    key(Qt::Key_Up);
    EXPECT_EQ(project().currentTitle(), 0);
    EXPECT_EQ(engine().filePath(), project().title(0)->currentAudioPath());
    key(Qt::Key_Up); // no title before the first
    EXPECT_EQ(project().currentTitle(), 0);
    key(Qt::Key_Down);
    EXPECT_EQ(project().currentTitle(), 1);

    dialogs_.answer = false;
    key(Qt::Key_Delete);
    ASSERT_EQ(dialogs_.questions.size(), 1u);
    EXPECT_EQ(project().titleCount(), 2);
    dialogs_.answer = true;
    key(Qt::Key_Delete);
    EXPECT_EQ(project().titleCount(), 1);
    EXPECT_FALSE(app_->isBusy());
    // Removing keeps the files.
    EXPECT_TRUE(std::filesystem::exists(dir_.file("44100-2-16-sine-880Hz-9s.wav")));
}

TEST_F(AETransportTest, RewindAndForwardMoveOneSecondWithinTheTitle) {
    addTitle("44100-2-16-sine-440Hz-8s", sine(8.0, 440.0, 0.3));
    const int32_t length = 8 * kRate;
    engine().seek(0);
    view().button(AEMainView::kForward)->click();
    EXPECT_EQ(engine().position(), kRate);
    view().button(AEMainView::kRewind)->click();
    EXPECT_EQ(engine().position(), 0);
    view().button(AEMainView::kRewind)->click();
    EXPECT_EQ(engine().position(), 0) << "not before the start";
    for (int i = 0; i < 12; ++i) {
        view().button(AEMainView::kForward)->click();
    }
    EXPECT_EQ(engine().position(), length) << "not past the end";
    // Held down, forward and rewind go on moving every 50 ms.
    QPushButton* rewind = view().button(AEMainView::kRewind);
    QTest::mousePress(rewind, Qt::LeftButton);
    QTest::qWait(260);
    QTest::mouseRelease(rewind, Qt::LeftButton);
    EXPECT_LE(engine().position(), length - 3 * kRate);
    // With loop on, winding keeps within the title's trim points.
    engine().seek(length);
    project().title(0)->setFadePoint(0, 2 * kRate);
    project().title(0)->setFadePoint(3, 5 * kRate);
    engine().setRange(2 * kRate, 2 * kRate, 5 * kRate, 5 * kRate);
    view().button(AEMainView::kLoop)->setChecked(true);
    view().button(AEMainView::kForward)->click();
    EXPECT_EQ(engine().position(), 5 * kRate);
    for (int i = 0; i < 5; ++i) {
        view().button(AEMainView::kRewind)->click();
    }
    EXPECT_EQ(engine().position(), 2 * kRate);
    view().button(AEMainView::kLoop)->setChecked(false);
}

// --- Settings clipboard ---------------------------------------------------------------------

TEST_F(AETransportTest, CtrlCAndCtrlVCopyTheSixSettingsToAnotherTitle) {
    addTitle("44100-2-16-sine-440Hz-8s", sine(8.0, 440.0, 0.3));
    addTitle("44100-2-16-sine-880Hz-9s", sine(9.0, 880.0, 0.3));
    // Ctrl+V with nothing copied changes nothing.
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(project().title(1)->processorParam(0), 0);

    // Chosen in the list (the arrow keys: ArrowKeysStepThroughTheTitles...).
    ASSERT_TRUE(project().select(0));
    emit window_->trackList().titleShown();
    const int32_t values[AEMainView::kSliders] = {100000, 250000, 0, 999999, 500000, 1000000};
    const bool on[AEMainView::kSliders] = {true, false, true, true, false, true};
    for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
        view().slider(slot)->setValue(values[slot]);
        view().processorSwitch(slot)->setChecked(on[slot]);
    }
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(window_->transport().clipboardFilled());

    key(Qt::Key_Down);
    ASSERT_EQ(project().currentTitle(), 1);
    // The faders show the second title's own settings, and so does playback.
    EXPECT_EQ(view().slider(5)->value(), 0);
    EXPECT_FALSE(view().processorSwitch(0)->isChecked());
    EXPECT_TRUE(engine().playbackSwitches()->processorOff(0));
    key(Qt::Key_V, Qt::ControlModifier);
    const AETitle& second = *project().title(1);
    for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
        EXPECT_EQ(second.processorParam(slot), values[slot]) << slot;
        EXPECT_EQ(second.processorEnabled(slot), on[slot]) << slot;
        EXPECT_EQ(view().slider(slot)->value(), values[slot]) << slot;
        EXPECT_EQ(view().processorSwitch(slot)->isChecked(), on[slot]) << slot;
        EXPECT_EQ(engine().playbackSwitches()->processorOff(slot), !on[slot]) << slot;
    }
    // The clipboard keeps what was copied, whatever the faders did since; a title chosen
    // in the list brings its settings back onto the faders.
    view().slider(0)->setValue(777777);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(second.processorParam(0), values[0]);
    view().slider(0)->setValue(777777);
    ASSERT_TRUE(project().select(0));
    emit window_->trackList().titleShown();
    EXPECT_EQ(view().slider(0)->value(), values[0]);
    EXPECT_EQ(view().processorSwitch(3)->isChecked(), on[3]);
}

// While the transport runs, changes to what it plays are refused (the channel choice, a
// paste of settings, the mono switch), and taken once it has stopped.
TEST_F(AETransportTest, ChangesUnderARunningTransportWaitForItsStop) {
    addTitle("44100-2-16-sine-440Hz-8s", sine(8.0, 440.0, 0.3));
    window_->command(AEMainWindow::kUseRightChannel);
    view().slider(2)->setValue(600000);
    key(Qt::Key_C, Qt::ControlModifier);
    view().slider(2)->setValue(100000);
    const struct {
        const char* what;
        int32_t start;
        std::function<void()> change;
        std::function<bool()> unchanged;
    } rows[] = {
        {"paste", AEMainView::kPlay, [&] { key(Qt::Key_V, Qt::ControlModifier); },
         [&] { return project().title(0)->processorParam(2) == 100000; }},
        {"mono", AEMainView::kPlay, [&] { view().button(AEMainView::kMono)->setChecked(true); },
         [&] {
             return !view().button(AEMainView::kMono)->isChecked() &&
                    !engine().playbackSwitches()->monoButton();
         }},
        {"left channel", AEMainView::kRecord,
         [&] { window_->command(AEMainWindow::kUseLeftChannel); },
         [&] {
             return !window_->monoUseLeft() && !engine().playbackSwitches()->monoUseLeft() &&
                    window_->action(AEMainWindow::kUseRightChannel)->isChecked();
         }},
    };
    for (const auto& row : rows) {
        view().button(row.start)->click();
        ASSERT_NE(engine().state(), AEAudioEngine::kIdle) << row.what;
        row.change();
        EXPECT_TRUE(row.unchanged()) << row.what;
        view().button(AEMainView::kStop)->click();
        row.change();
        EXPECT_FALSE(row.unchanged()) << row.what << ", once stopped";
    }
}

// --- Processing -----------------------------------------------------------------------------

// ... and a Quit meanwhile is refused without stopping the engine: the processed title
// plays afterwards.
TEST_F(AETransportTest, ProcessingStopsPlaybackAndHoldsTheFadersUntilItEnds) {
    addTitle("44100-2-16-sine-440Hz-8s", sine(8.0, 440.0, 0.3));
    key(Qt::Key_Return);
    ASSERT_EQ(engine().state(), AEAudioEngine::kPlaying);
    view().button(AEMainView::kProcessCurrent)->click();
    EXPECT_FALSE(engine().isPlayingOrRecording());
    EXPECT_EQ(view().transportState(), State::kStopped);
    ASSERT_TRUE(app_->isBusy());
    // The run and live restoration share the algorithm library.
    EXPECT_FALSE(view().slider(0)->isEnabled());
    EXPECT_FALSE(view().processorSwitch(0)->isEnabled());
    EXPECT_FALSE(view().button(AEMainView::kPlay)->isEnabled());
    EXPECT_TRUE(view().button(AEMainView::kCancelProcessing)->isEnabled());
    key(Qt::Key_Return); // keys wait too
    EXPECT_FALSE(engine().isPlayingOrRecording());
    window_->action(AEMainWindow::kQuit)->trigger();
    EXPECT_FALSE(app_->quitRequested());
    EXPECT_TRUE(engine().threadRunning());
    ASSERT_TRUE(waitUntil([&] { return !app_->isBusy(); }, 60));
    EXPECT_TRUE(project().title(0)->processState().isProcessed());
    EXPECT_TRUE(view().slider(0)->isEnabled());
    EXPECT_TRUE(view().processorSwitch(0)->isEnabled());
    EXPECT_TRUE(view().button(AEMainView::kPlay)->isEnabled());
    key(Qt::Key_Return);
    EXPECT_TRUE(waitUntil([&] { return engine().position() > kRate / 2; }, 10));
}
