// The copy of the selected tracks: file names, exact audio, data tracks, stopping,
// failures (any failed track is reported by name) and when nothing goes to the project.
// (The copied tracks becoming titles: TitleRunThreadsTest.)
#include "CdImportTestSupport.h"

#include <functional>

namespace {

namespace fs = std::filesystem;

class CdCopyTest : public CdTest::CdImportTest {
protected:
    std::unique_ptr<AECDImport> import_;
};

// Data tracks are skipped without a word.
TEST_F(CdCopyTest, TracksTwoAndFiveOfSongWavBecomeSong2AndSong5) {
    auto import = openImport({&list, nullptr, nullptr});
    for (int32_t row : {1, 4, 5}) {
        import->setRowSelected(row, true);
    }
    ASSERT_TRUE(import->import());
    EXPECT_FALSE(import->import()) << "one copy at a time";
    import->waitForCopy();
    EXPECT_FALSE(import->copying());
    const AECDImport::Report report = import->lastReport();
    EXPECT_EQ(report.files,
              (std::vector<std::string>{dir.file("song_2.wav"), dir.file("song_5.wav")}));
    EXPECT_EQ(folderFiles(), (std::vector<std::string>{"song_2.wav", "song_5.wav"}));
    EXPECT_EQ(AudioTest::readStereo16(dir.file("song_5.wav")), disc.trackSamples(5));
    EXPECT_EQ(report.dataTracks, (std::vector<int32_t>{6}));
    EXPECT_TRUE(report.failedTracks.empty());
    EXPECT_FALSE(report.stopped);
    EXPECT_TRUE(errorTexts().empty());
    EXPECT_EQ(list.entry(0), dir.file("song_2.wav"));
    EXPECT_EQ(list.entry(1), dir.file("song_5.wav"));
    EXPECT_EQ(list.pending(), 2);
    EXPECT_FALSE(list.importPending) << "Import clears it";
    EXPECT_EQ(view.controls, (std::vector<bool>{false, true}));
}

// A stop between the tracks keeps the copied track's file; it is no failure, and nothing
// is added to the project. (A stop in the middle of a track: CdDialogTest; the writer
// leaves no partial file: CddaWaveWriterTest.)
TEST_F(CdCopyTest, AStopBetweenTheTracksKeepsTheCopiedOneAndAddsNothing) {
    auto import = openImport(target());
    import->setAddToProject(true);
    import->setRowSelected(0, true);
    import->setRowSelected(4, true);
    int tracksStarted = 0;
    view.onProgress = [&](int32_t position) {
        // After the first track ended, as the second starts.
        if (position == 0 && view.statuses.back() == " " && ++tracksStarted == 3) {
            import->stop();
        }
    };
    ASSERT_TRUE(import->import());
    import->waitForCopy();
    const AECDImport::Report report = import->lastReport();
    EXPECT_TRUE(report.stopped);
    EXPECT_TRUE(report.failedTracks.empty());
    EXPECT_EQ(folderFiles(), std::vector<std::string>{"song_1.wav"});
    EXPECT_EQ(report.files, std::vector<std::string>{dir.file("song_1.wav")});
    EXPECT_EQ(import->addJob(), nullptr);
    EXPECT_EQ(view.adding.load(), 0);
    EXPECT_EQ(project.titleCount(), 0);
    EXPECT_TRUE(errorTexts().empty());
    EXPECT_EQ(view.controls.back(), true);
}

// Nothing is added without a copied track, the check box and a project.
TEST_F(CdCopyTest, AddToProjectNeedsACopiedTrackTheCheckBoxAndAProject) {
    for (int32_t run = 0; run < 3; ++run) {
        auto import = openImport({&list, run == 1 ? nullptr : &project, &files});
        import->setAddToProject(run != 2);
        import->setRowSelected(0, run > 0);
        const AECDImport::Report report = import->copyTracks();
        EXPECT_EQ(report.files.size(), run > 0 ? 1u : 0u) << run;
        EXPECT_FALSE(report.addedToProject) << run;
        EXPECT_EQ(import->addJob(), nullptr) << run;
    }
    EXPECT_EQ(project.titleCount(), 0);
}

// Every failed track is reported by name in one message, the others still count, and no
// partial file is left. (Only the last track's failure used to be reported, so an earlier
// track could go missing unnoticed.)
TEST_F(CdCopyTest, EveryFailedTrackIsNamedAndTheOthersStillCount) {
    const struct {
        const char* what;
        std::vector<int32_t> rows;
        std::function<void()> spoil;
        std::vector<std::string> files;
        std::vector<int32_t> failed;
        int32_t error;
        std::string text;
    } cases[] = {
        // 1.4 MB of track 1 is more than the disk takes, 420 KB of track 2 fits.
        {"disk full", {0, 1}, [] {}, {"song_2.wav"}, {1}, kCddaWriteFailed, "S3133\nS3007 1"},
        {"no folder",
         {0, 2},
         [this] { import_->setImportName(dir.file("missing/song.wav")); },
         {},
         {1, 3},
         kCddaCreateFailed,
         "S3133\nS3007 1, S3007 3"},
        // Track 4 loses its second half after the table of contents was read; 5 is gone.
        {"read error",
         {1, 3, 4},
         [this] {
             fs::resize_file(disc.binPath(), static_cast<uintmax_t>(disc.start(4) + 75) * 2352);
         },
         {"song_2.wav"},
         {4, 5},
         kCddaReadFailed,
         "S3133\nS3007 4, S3007 5"},
    };
    for (const auto& c : cases) {
        host.messages.clear();
        fs::remove(dir.file("song_2.wav"));
        import_ = openImport(target());
        for (int32_t row : c.rows) {
            import_->setRowSelected(row, true);
        }
        c.spoil();
        AECDImport::Report report;
        {
            ProjectTest::FileSizeLimit limit(1000000);
            report = import_->copyTracks();
        }
        std::vector<std::string> paths;
        for (const auto& file : c.files) {
            paths.push_back(dir.file(file));
        }
        EXPECT_EQ(report.files, paths) << c.what;
        EXPECT_EQ(folderFiles(), c.files) << c.what << ": no partial file";
        EXPECT_EQ(report.failedTracks, c.failed) << c.what;
        EXPECT_EQ(report.firstError, c.error) << c.what;
        EXPECT_EQ(errorTexts(), std::vector<std::string>{c.text}) << c.what;
    }
}

} // namespace
