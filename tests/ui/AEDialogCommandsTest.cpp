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
    void exportTo(const std::string& path) {
        chooser_.answers.push_back(QString::fromStdString(path));
        window_->command(AEMainWindow::kExportAudio);
        settle();
    }
    std::string source_;
};

TEST_F(ExportCommandTest, TheCurrentTitleIsCopiedByteForByte) {
    projectWithTitle();
    fs::create_directories(dir_.file("out"));
    const std::string out = dir_.file("out/side-a.wav");
    const QString exportFolder = QDir(QString::fromStdString(app_->directory(1))).absolutePath();
    const size_t asked = chooser_.titles.size();
    exportTo(out);
    ASSERT_EQ(chooser_.titles.size(), asked + 1);
    EXPECT_EQ(chooser_.titles.back(), text(3058));
    // The title's own file name, in the audio export folder.
    const QString proposed = chooser_.proposed.back();
    EXPECT_EQ(QFileInfo(proposed).fileName(), QStringLiteral("44100-2-16-8s.wav"));
    EXPECT_EQ(QFileInfo(proposed).absolutePath(), exportFolder);
    ASSERT_TRUE(fs::exists(out));
    EXPECT_EQ(ProjectTest::readFile(out),
              ProjectTest::readFile(app_->fileManager().getFileName(0)));
    EXPECT_EQ(commands().lastExportResult(), AEFileCopy::kCopied);
    EXPECT_EQ(app_->directory(1), dir_.file("out"));
    EXPECT_TRUE(dialogs_.alerts.empty());
    EXPECT_FALSE(app_->isBusy());
    EXPECT_TRUE(window_->view().control(AEMainView::kPlay)->isEnabled());

    // The next export proposes the folder used last.
    chooser_.answers.push_back(QString());
    window_->command(AEMainWindow::kExportAudio);
    EXPECT_EQ(QFileInfo(chooser_.proposed.back()).absolutePath(),
              QString::fromStdString(dir_.file("out")));
    EXPECT_FALSE(app_->isBusy()) << "a cancelled dialog changes nothing";
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

// A title file that is gone is named before any dialog opens, as WAVE and as FLAC.
TEST_F(ExportCommandTest, AGoneTitleFileIsNamedBeforeAnyDialog) {
    projectWithTitle();
    fs::remove(source_);
    for (const int32_t command : {AEMainWindow::kExportAudio, AEMainWindow::kExportFlac}) {
        const size_t dialogs = chooser_.titles.size();
        dialogs_.alerts.clear();
        chooser_.answers.push_back(QString::fromStdString(dir_.file("side-a")));
        window_->command(command);
        settle();
        EXPECT_EQ(chooser_.titles.size(), dialogs) << command;
        ASSERT_EQ(dialogs_.alerts.size(), 1u) << command;
        EXPECT_EQ(dialogs_.alerts[0], ProjectHost::textWith(3282, source_));
        EXPECT_FALSE(fs::exists(dir_.file("side-a")));
        EXPECT_FALSE(app_->isBusy()) << "the program is free again";
        chooser_.answers.clear();
    }
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

// A cancelled dialog changes nothing; good files become titles in their order.
TEST_F(WaveImportCommandTest, GoodFilesBecomeTitlesInOrder) {
    AEProject& project = newProject();
    const std::string folder = app_->directory(4);
    window_->view().button(AEMainView::kImportWave)->click();
    EXPECT_EQ(chooser_.titles.back(), text(3001));
    EXPECT_FALSE(app_->isBusy());
    EXPECT_FALSE(commands().working());
    EXPECT_EQ(project.titleCount(), 0);
    EXPECT_EQ(app_->directory(4), folder);

    const std::string stereo = wave("44100-2-16-8s.wav", 2, 44100, kEightSeconds);
    const std::string mono = wave("44100-1-16-7s.wav", 1, 44100, 308700);
    importFiles({stereo, mono});
    EXPECT_TRUE(dialogs_.alerts.empty());
    ASSERT_EQ(project.titleCount(), 2);
    EXPECT_EQ(project.sourcePath(0), stereo);
    // The mono file is added as a stereo copy in the project's folder.
    EXPECT_EQ(project.sourcePath(1), dir_.file("base/44100-1-16-7s.wav.stereo.wav"));
    EXPECT_TRUE(fs::exists(dir_.file("base/44100-1-16-7s.wav.stereo.wav")));
    EXPECT_EQ(commands().lastWaveImport().added, 2);
    EXPECT_EQ(commands().importList().pending(), 0);
    EXPECT_EQ(app_->directory(4), dir_.path());
    EXPECT_FALSE(app_->isBusy());
    EXPECT_TRUE(window_->view().control(AEMainView::kPlay)->isEnabled());
    EXPECT_NE(window_->view().remainingTime(), QStringLiteral("80:00")) << "refreshed";
}

// Bad files are reported in one message and the others imported; only bad files add
// nothing and free the program.
TEST_F(WaveImportCommandTest, BadFilesAreReportedOnceAndTheOthersImported) {
    AEProject& project = newProject();
    importFiles({wave("44100-2-16-1s.wav", 2, 44100, 44100)});
    EXPECT_EQ(dialogs_.alerts.size(), 1u);
    EXPECT_EQ(project.titleCount(), 0);
    EXPECT_FALSE(app_->isBusy());
    EXPECT_TRUE(window_->view().control(AEMainView::kRecord)->isEnabled());

    dialogs_.alerts.clear();
    const std::string good = wave("44100-2-16-8s.wav", 2, 44100, kEightSeconds);
    const std::string shortOne = wave("44100-2-16-308699f.wav", 2, 44100, 308699);
    const std::string notes = dir_.file("notes.wav");
    ProjectTest::writeFile(notes, "these are no samples at all");
    importFiles({shortOne, good, notes, dir_.file("missing.wav")});
    ASSERT_EQ(dialogs_.alerts.size(), 1u);
    const std::string heading = stdText(3087).substr(0, stdText(3087).find('\n'));
    EXPECT_EQ(dialogs_.alerts[0].substr(0, heading.size()), heading);
    ASSERT_EQ(project.titleCount(), 1);
    EXPECT_EQ(project.sourcePath(0), good);
    EXPECT_FALSE(app_->isBusy());
}

// FLAC export and the import of other formats, through the same dialogs.
TEST_F(ExportCommandTest, TheCurrentTitleBecomesAFlacFileOfTheSameLength) {
    projectWithTitle();
    fs::create_directories(dir_.file("flac"));
    const std::string out = dir_.file("flac/side-a.flac");
    chooser_.answers.push_back(QString::fromStdString(out));
    window_->command(AEMainWindow::kExportFlac);
    settle();
    EXPECT_EQ(chooser_.titles.back(), QString::fromStdString(AEFlacExport::dialogTitle()));
    EXPECT_EQ(QFileInfo(chooser_.proposed.back()).fileName(), QStringLiteral("44100-2-16-8s.flac"));
    EXPECT_EQ(commands().lastFlacExportResult(), AEFlacExport::kWritten);
    ASSERT_TRUE(fs::exists(out));
    EXPECT_EQ(ProjectTest::readFile(out).substr(0, 4), "fLaC");
    EXPECT_EQ(AEFormatImport::convertedFrames(out), kEightSeconds);
    EXPECT_EQ(app_->directory(AEFlacExport::kDirectorySlot), dir_.file("flac"));
    EXPECT_TRUE(dialogs_.alerts.empty());
    EXPECT_FALSE(app_->isBusy());
}

TEST_F(WaveImportCommandTest, OtherRatesAreConvertedThroughTheAudioFileImport) {
    AEProject& project = newProject();
    const std::string file = wave("48000-2-16-8s.wav", 2, 48000, 8 * 48000);
    chooser_.lists.push_back(QStringList{QString::fromStdString(file)});
    window_->command(AEMainWindow::kImportAudioFiles);
    settle();
    EXPECT_EQ(chooser_.titles.back(), QString::fromStdString(AEFormatImport::dialogTitle()));
    EXPECT_TRUE(dialogs_.alerts.empty());
    ASSERT_EQ(project.titleCount(), 1);
    EXPECT_EQ(project.sourcePath(0), dir_.file("base/48000-2-16-8s.wav.stereo.wav"));
    EXPECT_NEAR(static_cast<double>(AEFormatImport::convertedFrames(project.sourcePath(0))),
                kEightSeconds, 2.0);
    EXPECT_EQ(app_->directory(AEFormatImport::kDirectorySlot), dir_.path());
    EXPECT_FALSE(app_->isBusy());
}

} // namespace
