// Worker runs change the project on the window thread only: a title being processed, and
// the titles a CD copy adds, stay as they were, while the title list redraws from them,
// until the window handles the worker's message. Run again under ThreadSanitizer (label
// "tsan"), where any read of the list racing a worker's write fails the test.
#include "WindowHarness.h"

#include "AECDImportDialog.h"
#include "AEImportList.h"
#include "AEMainView.h"
#include "AETrackListDisplay.h"
#include "CddaDriveList.h"
#include "ProjectTestSupport.h"
#include "SplitTestSides.h"
#include "support/CdImage.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTreeWidget>

namespace {

namespace fs = std::filesystem;

class TitleRunThreadsTest : public WindowTest {
protected:
    void TearDown() override {
        if (AECDImportDialog* dialog = commands().cdImportDialog()) {
            dialog->reject();
        }
        WindowTest::TearDown();
        unsetenv("GLEAM_CD_IMAGES");
    }

    // Redraws the title list from the project, without handling any message, until `done`;
    // `unchanged` is checked after each redraw. False when it fails or time runs out.
    bool redrawUntil(const std::function<bool()>& done, const std::function<bool()>& unchanged) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
        while (!done()) {
            window_->trackList().refresh();
            if (!unchanged() || std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            QThread::msleep(1);
        }
        return unchanged();
    }

    // A processed file the run has moved into place in `folder` ("" while there is none).
    static std::string committedFile(const std::string& folder) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name.ends_with(".p.wav") && name.find(".saving") == std::string::npos &&
                entry.file_size() > 44) {
                return entry.path().string();
            }
        }
        return {};
    }
};

TEST_F(TitleRunThreadsTest, AProcessedTitleChangesWhenTheWindowHandlesTheRunsMessage) {
    ASSERT_TRUE(app_->startAlgorithmLibrary());
    AEProject& project = newProject();
    const SplitTest::Side side = SplitTest::SideBuilder(7).gap(0.5).song(7.5).gap(0.5).build();
    const std::string recording = dir_.file("side-44100-2-16.wav");
    ProjectTest::writeWaveSamples(recording, side.samples);
    ASSERT_TRUE(project.addImportedFile(recording));
    AETitle& title = *project.title(0);
    title.setProcessorParam(0, 400000);
    title.setProcessorEnabled(0, true);
    // Trimmed by a second at each end, so the processed file is shorter than the recording.
    title.setFadePoint(0, 44100);
    title.setFadePoint(3, side.frames() - 44100);
    window_->currentTitleChanged();
    ASSERT_EQ(title.length(), side.frames());

    window_->control(AEMainView::kProcessCurrent, 1);
    ASSERT_TRUE(app_->isBusy());
    std::string made;
    const auto asItWas = [&] {
        return title.stateCode() == AETitleProcessState::kNotProcessed &&
               title.processedPath() == AETitle::kNotProcessed && title.processorEnabled(0) &&
               title.length() == side.frames() && !window_->trackList().rows()[0].processed;
    };
    // Until the run's file is in place and its progress display has ended.
    EXPECT_TRUE(redrawUntil(
        [&] {
            return !(made = committedFile(dir_.file("base"))).empty() && !app_->progressActive();
        },
        asItWas));

    ASSERT_TRUE(waitUntil([&] { return !app_->isBusy(); }, 180.0));
    EXPECT_EQ(title.stateCode(), AETitleProcessState::kProcessed);
    EXPECT_EQ(title.processedPath(), made);
    EXPECT_FALSE(title.processorEnabled(0));
    EXPECT_EQ(title.length(), side.frames() - 2 * 44100);
    EXPECT_EQ(AEFileManager::framesOf(made), title.length());
    EXPECT_TRUE(window_->trackList().rows()[0].processed) << "redrawn once the title changed";
    EXPECT_TRUE(window_->view().control(AEMainView::kPlay)->isEnabled());
}

TEST_F(TitleRunThreadsTest, TheTitlesOfACdCopyComeWithTheWindowsMessage) {
    const CdTest::CdImage disc(dir_.path(), "disc-600-600", {{600}, {600}});
    setenv("GLEAM_CD_IMAGES", disc.cuePath().c_str(), 1);
    RegistryStore store;
    store.writeInt("selectedReader", CddaDriveList().count() - 1);
    store.writeText("importName", dir_.file("song.wav").c_str());
    AEProject& project = newProject();
    window_->command(AEMainWindow::kImportFromCd);
    AECDImportDialog* dialog = commands().cdImportDialog();
    ASSERT_NE(dialog, nullptr);
    for (int row : {0, 1}) {
        dialog->tracks()->topLevelItem(row)->setSelected(true);
    }
    dialog->addToProject()->setChecked(true);
    dialog->importButton()->click();

    // The copy and the hand-over run while the list redraws; the project stays empty.
    const AEImportList& list = commands().importList();
    EXPECT_TRUE(redrawUntil([&] { return list.importPending && !dialog->import().copying(); },
                            [&] { return project.titleCount() == 0; }));
    dialog->import().waitForCopy();
    ASSERT_NE(dialog->import().addJob(), nullptr);
    EXPECT_EQ(dialog->import().addJob()->wait(), 2);
    window_->trackList().refresh();
    EXPECT_EQ(project.titleCount(), 0) << "until the window handles message 4";

    ASSERT_TRUE(waitUntil([&] { return project.titleCount() == 2; }));
    EXPECT_EQ(project.sourcePath(0), dir_.file("song_1.wav"));
    EXPECT_EQ(project.sourcePath(1), dir_.file("song_2.wav"));
    EXPECT_EQ(window_->trackList().rows().size(), 2u) << "redrawn once the titles came";
    dialog->cancelButton()->click();
    EXPECT_FALSE(app_->isBusy());
}

} // namespace
