// "Export album..." and "Normalize loudness (all titles)..." through the window's commands:
// their dialogs answered by the test, the question before files are replaced, and the title
// list showing each title's loudness.
#include "AEAlbumExportDialog.h"
#include "AELoudnessDialog.h"
#include "AETrackListDisplay.h"
#include "AlbumTestSupport.h"
#include "WindowHarness.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

namespace fs = std::filesystem;

// Once a modal dialog of type D is open, `act` works it (and must close it).
template <class D> void whenOpen(std::function<void(D&)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*dialog);
        }
    });
    poll->start(10);
}

class AlbumLoudnessCommandTest : public WindowTest {
protected:
    void addTitles() {
        newProject();
        const double peaks[] = {0.8, 0.1};
        for (uint32_t i = 0; i < 2; ++i) {
            const std::string path = dir_.file("side-" + std::to_string(i) + ".wav");
            ProjectTest::writeWaveSamples(path, AlbumTest::wornRecord(8.0, peaks[i], 40 + i));
            ASSERT_TRUE(app_->project()->addImportedFile(path));
        }
    }
    void exportTo(const std::string& folder, const QString& titles = {}) {
        whenOpen<AEAlbumExportDialog>([folder, titles](AEAlbumExportDialog& dialog) {
            dialog.folderField()->setText(QString::fromStdString(folder));
            dialog.titlesField()->setText(titles);
            dialog.formatBox()->setCurrentIndex(2); // MP3
            dialog.accept();
            if (dialog.isVisible()) {
                dialog.reject();
            }
        });
        window_->command(AEMainWindow::kExportAlbum);
        settle();
    }
    void loudness(bool measure, int target, bool album) {
        whenOpen<AELoudnessDialog>([=](AELoudnessDialog& dialog) {
            dialog.targetBox()->setCurrentIndex(target);
            dialog.albumBox()->setChecked(album);
            (measure ? dialog.measureButton() : dialog.normalizeButton())->click();
        });
        window_->command(AEMainWindow::kNormalizeLoudness);
        ASSERT_TRUE(waitUntil([this] { return !app_->isBusy(); }, 60.0));
        QApplication::processEvents();
    }
    std::vector<double> loudnessOfTitles() {
        std::vector<double> values;
        for (int32_t i = 0; i < app_->project()->titleCount(); ++i) {
            const auto value = app_->project()->title(i)->loudness();
            EXPECT_TRUE(value) << i;
            values.push_back(value.value_or(0.0));
            // The list shows it beside the length.
            EXPECT_TRUE(window_->trackList().rows()[static_cast<size_t>(i)].loudness.endsWith(
                QStringLiteral(" LUFS")));
        }
        return values;
    }
};

TEST_F(AlbumLoudnessCommandTest, ExportAlbumAsksBeforeReplacingFiles) {
    addTitles();
    const std::string folder = dir_.file("album");
    // Titles that do not exist: the dialog says so and stays open (closed by the test).
    exportTo(folder, QStringLiteral("1,7"));
    EXPECT_FALSE(fs::exists(folder));

    exportTo(folder);
    EXPECT_EQ(commands().lastAlbumExportResult(), AEAlbumExport::kWritten);
    ASSERT_EQ(RunTest::filesIn(folder).size(), 4u);
    const std::string first = folder + "/01 - side-0.mp3";
    const std::string before = ProjectTest::readFile(first);
    ASSERT_FALSE(before.empty());

    dialogs_.answer = false;
    exportTo(folder, QStringLiteral("2"));
    ASSERT_EQ(dialogs_.questions.size(), 1u);
    EXPECT_NE(dialogs_.questions[0].find("playlist.m3u8"), std::string::npos);
    EXPECT_EQ(ProjectTest::readFile(folder + "/01 - side-0.mp3"), before);

    dialogs_.answer = true;
    exportTo(folder, QStringLiteral("2"));
    EXPECT_EQ(dialogs_.questions.size(), 2u);
    EXPECT_EQ(commands().lastAlbumExportResult(), AEAlbumExport::kWritten);
    EXPECT_TRUE(fs::exists(folder + "/01 - side-1.mp3"));
    EXPECT_TRUE(dialogs_.alerts.empty());
}

TEST_F(AlbumLoudnessCommandTest, MeasureOnlyThenNormalizeInAlbumMode) {
    addTitles();
    loudness(true, 0, false);
    const std::vector<double> measured = loudnessOfTitles();
    EXPECT_FALSE(app_->project()->title(0)->processState().isProcessed());
    EXPECT_GT(measured[0] - measured[1], 10.0);

    // -23 LUFS, one gain: the titles keep their distance.
    loudness(false, 3, true);
    const std::vector<double> normalized = loudnessOfTitles();
    EXPECT_TRUE(app_->project()->title(1)->processState().isProcessed());
    EXPECT_NEAR(normalized[0] - normalized[1], measured[0] - measured[1], 0.2);
    EXPECT_LT(normalized[0], measured[0]);
    // For a look: the loudness beside each title's length.
    QDir().mkpath(QStringLiteral(GLEAM_SCREENSHOT_DIR));
    EXPECT_TRUE(
        window_->grab().save(QStringLiteral(GLEAM_SCREENSHOT_DIR "/main-window-loudness.png")));
}

} // namespace
