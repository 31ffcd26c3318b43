// The export of a title's audio and the WAVE import, through their commands, with the
// file dialogs and message boxes answered by the test.
#include "WindowHarness.h"

#include "AEFlacExport.h"
#include "AEFormatImport.h"
#include "AEMainView.h"
#include "ListWaveformTestSupport.h"
#include "ProjectHost.h"
#include "ProjectTestSupport.h"

#include <QPushButton>
#include <QWidget>

namespace {

namespace fs = std::filesystem;

constexpr int32_t kEightSeconds = 8 * 44100;

class ExportCommandTest : public WindowTest {
protected:
    // A project whose one title is an 8-second import, made current.
    void projectWithTitle() {
        AEProject& project = newProject();
        source_ = dir_.file("44100-2-16-8s.wav");
        ProjectTest::writeWave(source_, kEightSeconds);
        ASSERT_TRUE(app_->fileManager().newImportFile(source_));
        ASSERT_TRUE(project.addImportedFile(source_));
        ASSERT_TRUE(project.currentTitle() == 0 || project.select(0));
    }
    void exportTo(const std::string& path, int32_t command = AEMainWindow::kExportAudio) {
        chooser_.answers.push_back(QString::fromStdString(path));
        window_->command(command);
        settle();
    }
    std::string source_;
};

// The current title as WAVE and as FLAC: the dialog proposes the title's own name in the
// folder used last, the export runs and the folder chosen is kept (what the files hold is
// checked in AEFileCopyTest and FormatImportTest).
TEST_F(ExportCommandTest, TheCurrentTitleIsExportedWhereTheUserChose) {
    projectWithTitle();
    const struct {
        int32_t command;
        const char* file;
        int slot;
        std::function<bool()> written;
    } rows[] = {{AEMainWindow::kExportAudio, "side-a.wav", 1,
                 [this] { return commands().lastExportResult() == AEFileCopy::kCopied; }},
                {AEMainWindow::kExportFlac, "side-a.flac", AEFlacExport::kDirectorySlot,
                 [this] { return commands().lastFlacExportResult() == AEFlacExport::kWritten; }}};
    for (const auto& row : rows) {
        const std::string folder = dir_.file("out-" + std::to_string(row.slot));
        fs::create_directories(folder);
        const QString before =
            QDir(QString::fromStdString(app_->directory(row.slot))).absolutePath();
        exportTo(folder + "/" + row.file, row.command);
        const QFileInfo proposed(chooser_.proposed.back());
        EXPECT_EQ(proposed.completeBaseName(), QStringLiteral("44100-2-16-8s"));
        EXPECT_EQ(proposed.suffix(), QFileInfo(QString::fromLatin1(row.file)).suffix());
        EXPECT_EQ(proposed.absolutePath(), before);
        EXPECT_TRUE(row.written()) << row.file;
        EXPECT_GT(fs::file_size(folder + "/" + row.file), 44u);
        EXPECT_EQ(app_->directory(row.slot), folder);
        EXPECT_TRUE(dialogs_.alerts.empty());
        EXPECT_FALSE(app_->isBusy());
        // The next export proposes the folder used last; a cancelled dialog changes nothing.
        chooser_.answers.push_back(QString());
        window_->command(row.command);
        EXPECT_EQ(QFileInfo(chooser_.proposed.back()).absolutePath(),
                  QString::fromStdString(folder));
        EXPECT_FALSE(app_->isBusy());
    }
    EXPECT_TRUE(window_->view().control(AEMainView::kPlay)->isEnabled());
}

// Exporting onto the title's own file (or another title's) would destroy it: refused; a
// folder that cannot be written is reported and leaves no file.
TEST_F(ExportCommandTest, RefusedExportsSayWhyAndChangeNoFile) {
    projectWithTitle();
    const std::string before = ProjectTest::readFile(source_);
    exportTo(source_);
    ASSERT_EQ(dialogs_.alerts.size(), 1u);
    EXPECT_NE(dialogs_.alerts[0].find(source_), std::string::npos);
    EXPECT_EQ(ProjectTest::readFile(source_), before);
    const std::string out = dir_.file("missing/side-a.wav");
    exportTo(out);
    EXPECT_EQ(commands().lastExportResult(), AEFileCopy::kOpenFailed);
    ASSERT_EQ(dialogs_.alerts.size(), 2u);
    EXPECT_EQ(dialogs_.alerts[1], stdText(3200) + "\n" + out);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(app_->isBusy());
}

// A title file that is gone is named before any dialog opens (FLAC asks the same check).
TEST_F(ExportCommandTest, AGoneTitleFileIsNamedBeforeAnyDialog) {
    projectWithTitle();
    fs::remove(source_);
    const size_t dialogs = chooser_.titles.size();
    chooser_.answers.push_back(QString::fromStdString(dir_.file("side-a")));
    window_->command(AEMainWindow::kExportAudio);
    settle();
    EXPECT_EQ(chooser_.titles.size(), dialogs);
    ASSERT_EQ(dialogs_.alerts.size(), 1u);
    EXPECT_EQ(dialogs_.alerts[0], ProjectHost::textWith(3282, source_));
    EXPECT_FALSE(fs::exists(dir_.file("side-a")));
    EXPECT_FALSE(app_->isBusy()) << "the program is free again";
}

TEST_F(ExportCommandTest, NoDialogWithoutTitles) {
    window_->command(AEMainWindow::kExportAudio);
    EXPECT_TRUE(chooser_.titles.empty()) << "no project";
    newProject();
    const size_t asked = chooser_.titles.size();
    window_->command(AEMainWindow::kExportAudio);
    EXPECT_EQ(chooser_.titles.size(), asked) << "no titles";
    EXPECT_FALSE(app_->isBusy());
}

class WaveImportCommandTest : public WindowTest {
protected:
    std::string wave(const std::string& name, uint16_t channels, uint32_t rate, int64_t frames) {
        return ListWaveformTest::writeSine(dir_.file(name), channels, rate, frames);
    }
    void importFiles(const std::vector<std::string>& paths) {
        QStringList list;
        for (const auto& path : paths) {
            list << QString::fromStdString(path);
        }
        chooser_.lists.push_back(list);
        window_->view().button(AEMainView::kImportWave)->click();
        settle();
    }
};

// A cancelled dialog changes nothing; the good files become titles in their order (a mono
// one as its stereo copy), the bad ones are reported in one message; only bad files add
// nothing and free the program. (Which files are refused: AEWaveImportTest.)
TEST_F(WaveImportCommandTest, GoodFilesBecomeTitlesAndBadOnesAreReportedOnce) {
    AEProject& project = newProject();
    const std::string folder = app_->directory(4);
    window_->view().button(AEMainView::kImportWave)->click();
    EXPECT_FALSE(app_->isBusy());
    EXPECT_FALSE(commands().working());
    EXPECT_EQ(app_->directory(4), folder);

    importFiles({wave("44100-2-16-1s.wav", 2, 44100, 44100)});
    EXPECT_EQ(dialogs_.alerts.size(), 1u);
    EXPECT_EQ(project.titleCount(), 0);
    EXPECT_FALSE(app_->isBusy());
    EXPECT_TRUE(window_->view().control(AEMainView::kRecord)->isEnabled());

    dialogs_.alerts.clear();
    const std::string stereo = wave("44100-2-16-8s.wav", 2, 44100, kEightSeconds);
    const std::string mono = wave("44100-1-16-7s.wav", 1, 44100, 308700);
    const std::string notes = dir_.file("notes.wav");
    ProjectTest::writeFile(notes, "these are no samples at all");
    importFiles({stereo, wave("44100-2-16-308699f.wav", 2, 44100, 308699), notes, mono,
                 dir_.file("missing.wav")});
    ASSERT_EQ(dialogs_.alerts.size(), 1u);
    const std::string heading = stdText(3087).substr(0, stdText(3087).find('\n'));
    EXPECT_EQ(dialogs_.alerts[0].substr(0, heading.size()), heading);
    ASSERT_EQ(project.titleCount(), 2);
    EXPECT_EQ(project.sourcePath(0), stereo);
    EXPECT_EQ(project.sourcePath(1), dir_.file("base/44100-1-16-7s.wav.stereo.wav"));
    EXPECT_EQ(commands().lastWaveImport().added, 2);
    EXPECT_EQ(commands().importList().pending(), 0);
    EXPECT_EQ(app_->directory(4), dir_.path());
    EXPECT_FALSE(app_->isBusy());
    EXPECT_TRUE(window_->view().control(AEMainView::kPlay)->isEnabled());
    EXPECT_NE(window_->view().remainingTime(), QStringLiteral("80:00")) << "refreshed";
}

// The import of other formats, through its own dialog.
TEST_F(WaveImportCommandTest, OtherRatesAreConvertedThroughTheAudioFileImport) {
    AEProject& project = newProject();
    const std::string file = wave("48000-2-16-8s.wav", 2, 48000, 8 * 48000);
    chooser_.lists.push_back(QStringList{QString::fromStdString(file)});
    window_->command(AEMainWindow::kImportAudioFiles);
    settle();
    EXPECT_TRUE(dialogs_.alerts.empty());
    ASSERT_EQ(project.titleCount(), 1);
    EXPECT_EQ(project.sourcePath(0), dir_.file("base/48000-2-16-8s.wav.stereo.wav"));
    EXPECT_EQ(app_->directory(AEFormatImport::kDirectorySlot), dir_.path());
    EXPECT_FALSE(app_->isBusy());
}

} // namespace
