// The copy of the selected tracks: file names, exact audio, data tracks, stopping,
// failures (any failed track is reported by name) and the hand-over to the project.
#include "CdImportTestSupport.h"

#include "AEBackgroundJob.h"

namespace {

using CdTest::CdImportTest;
namespace fs = std::filesystem;

TEST_F(CdImportTest, TracksTwoAndFiveOfSongWavBecomeSong2AndSong5) {
    auto import = openImport({&list, nullptr, nullptr});
    import->setRowSelected(1, true);
    import->setRowSelected(4, true);
    ASSERT_TRUE(import->import());
    EXPECT_FALSE(import->import()) << "one copy at a time";
    import->waitForCopy();
    EXPECT_FALSE(import->copying());
    const AECDImport::Report report = import->lastReport();
    EXPECT_EQ(report.files,
              (std::vector<std::string>{dir.file("song_2.wav"), dir.file("song_5.wav")}));
    EXPECT_EQ(folderFiles(), (std::vector<std::string>{"song_2.wav", "song_5.wav"}));
    EXPECT_TRUE(report.failedTracks.empty());
    EXPECT_FALSE(report.stopped);
    EXPECT_TRUE(errorTexts().empty());
    EXPECT_EQ(list.entry(0), dir.file("song_2.wav"));
    EXPECT_EQ(list.entry(1), dir.file("song_5.wav"));
    EXPECT_EQ(list.pending(), 2);
    EXPECT_FALSE(list.importPending) << "Import clears it";
    EXPECT_EQ(view.controls, (std::vector<bool>{false, true}));
}

TEST_F(CdImportTest, ACopiedTrackIsSampleIdenticalToTheImage) {
    auto import = openImport(target());
    for (int32_t row : {0, 1, 2}) {
        import->setRowSelected(row, true);
    }
    const AECDImport::Report report = import->copyTracks();
    ASSERT_EQ(report.files.size(), 3u);
    for (int32_t track : {1, 2, 3}) {
        const auto samples = wavSamples(dir.file("song_" + std::to_string(track) + ".wav"));
        EXPECT_EQ(samples.size(), static_cast<size_t>(disc.length(track)) * 1176) << track;
        EXPECT_TRUE(samples == disc.trackSamples(track)) << "track " << track;
    }
}

TEST_F(CdImportTest, ProgressRunsToTheEndOfEachTrackWithTheFileName) {
    auto import = openImport(target());
    import->setRowSelected(0, true);
    import->copyTracks();
    ASSERT_GE(view.positions.size(), 4u);
    EXPECT_EQ(view.positions.front(), 0);
    EXPECT_EQ(view.statuses.front(), " ");
    EXPECT_EQ(view.positions.back(), 0) << "cleared when the track is done";
    EXPECT_EQ(view.statuses.back(), " ");
    const size_t full = view.positions.size() - 2;
    EXPECT_EQ(view.positions[full], 65535);
    EXPECT_EQ(view.statuses[full], dir.file("song_1.wav") + " ... 100 %");
    EXPECT_TRUE(std::is_sorted(view.positions.begin(), view.positions.end() - 1));
    EXPECT_EQ(view.statuses[1], dir.file("song_1.wav") + " ... 12 %") << "75 of 600 sectors";
}

TEST_F(CdImportTest, DataTracksAreSkippedWithoutAWord) {
    auto import = openImport(target());
    import->setRowSelected(4, true);
    import->setRowSelected(5, true);
    const AECDImport::Report report = import->copyTracks();
    EXPECT_EQ(report.files, (std::vector<std::string>{dir.file("song_5.wav")}));
    EXPECT_EQ(report.dataTracks, (std::vector<int32_t>{6}));
    EXPECT_TRUE(report.failedTracks.empty());
    EXPECT_TRUE(errorTexts().empty());
    EXPECT_EQ(folderFiles(), (std::vector<std::string>{"song_5.wav"}));
}

TEST_F(CdImportTest, NoSelectedRowWritesAndAddsNothing) {
    auto import = openImport(target());
    import->setAddToProject(true);
    ASSERT_TRUE(import->import());
    import->waitForCopy();
    const AECDImport::Report report = import->lastReport();
    EXPECT_TRUE(report.files.empty());
    EXPECT_FALSE(report.addedToProject);
    EXPECT_EQ(import->addJob(), nullptr);
    EXPECT_TRUE(folderFiles().empty());
    EXPECT_EQ(project.titleCount(), 0);
}

TEST_F(CdImportTest, AStopInTheMiddleLeavesNoFileAndAddsNothing) {
    auto import = openImport(target());
    import->setAddToProject(true);
    import->setRowSelected(0, true);
    import->setRowSelected(4, true);
    // The user presses Cancel while the first track is a third done.
    view.onProgress = [&](int32_t position) {
        if (position > 65535 / 3) {
            EXPECT_FALSE(import->cancel()) << "while copying the dialog stays open";
        }
    };
    ASSERT_TRUE(import->import());
    import->waitForCopy();
    const AECDImport::Report report = import->lastReport();
    EXPECT_TRUE(report.stopped);
    EXPECT_TRUE(report.files.empty());
    EXPECT_TRUE(report.failedTracks.empty()) << "a stop is no failure";
    EXPECT_TRUE(folderFiles().empty()) << "neither the stopped track nor the next one";
    EXPECT_EQ(list.pending(), 0);
    EXPECT_EQ(import->addJob(), nullptr);
    EXPECT_EQ(view.adding.load(), 0);
    EXPECT_EQ(project.titleCount(), 0);
    EXPECT_TRUE(errorTexts().empty());
    EXPECT_EQ(view.controls.back(), true);
}

TEST_F(CdImportTest, AStopAfterACopiedTrackKeepsItsFileButAddsNothing) {
    auto import = openImport(target());
    import->setAddToProject(true);
    import->setRowSelected(0, true);
    import->setRowSelected(4, true);
    int32_t tracksStarted = 0;
    view.onProgress = [&](int32_t position) {
        if (position == 0 && view.statuses.back() == " " && ++tracksStarted == 3) {
            import->stop(); // between the tracks: after the first ended, as the second starts
        }
    };
    ASSERT_TRUE(import->import());
    import->waitForCopy();
    const AECDImport::Report report = import->lastReport();
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.files, (std::vector<std::string>{dir.file("song_1.wav")}));
    EXPECT_EQ(folderFiles(), (std::vector<std::string>{"song_1.wav"}));
    EXPECT_EQ(import->addJob(), nullptr);
    EXPECT_EQ(project.titleCount(), 0);
}

TEST_F(CdImportTest, AddToProjectAddsExactlyTheCopiedFiles) {
    auto import = openImport(target());
    import->setAddToProject(true);
    for (int32_t row : {0, 4, 5}) {
        import->setRowSelected(row, true);
    }
    ASSERT_TRUE(import->import());
    import->waitForCopy();
    ASSERT_NE(import->addJob(), nullptr);
    EXPECT_EQ(import->addJob()->wait(), 2);
    EXPECT_TRUE(import->lastReport().addedToProject);
    EXPECT_EQ(view.adding.load(), 1);
    // The threads never touch the project: the titles come with message 4.
    EXPECT_EQ(project.titleCount(), 0);
    EXPECT_TRUE(host.busy) << "until the titles are in the project";
    host.applyOutcomes(project);
    EXPECT_FALSE(host.busy);
    ASSERT_EQ(project.titleCount(), 2);
    EXPECT_EQ(project.sourcePath(0), dir.file("song_1.wav"));
    EXPECT_EQ(project.sourcePath(1), dir.file("song_5.wav"));
    EXPECT_EQ(import->addReport().added, 2);
    EXPECT_TRUE(import->addReport().skipped.empty());
    EXPECT_EQ(list.pending(), 0);
    EXPECT_TRUE(list.importPending);
    EXPECT_TRUE(fs::exists(dir.file("song_1.pk")));
}

TEST_F(CdImportTest, AddToProjectNeedsTheCheckBoxAndAProject) {
    for (bool withProject : {false, true}) {
        auto import = openImport({&list, withProject ? &project : nullptr, &files});
        import->setAddToProject(!withProject);
        import->setRowSelected(0, true);
        const AECDImport::Report report = import->copyTracks();
        EXPECT_EQ(report.files.size(), 1u);
        EXPECT_FALSE(report.addedToProject);
        EXPECT_EQ(import->addJob(), nullptr);
    }
    EXPECT_EQ(project.titleCount(), 0);
}

// The fault this guards: only the last track's failure used to be reported, so an earlier
// track could go missing unnoticed.
TEST_F(CdImportTest, AnyFailedTrackIsReportedByNameAndTheOthersStillCount) {
    auto import = openImport(target());
    import->setRowSelected(0, true); // 1.4 MB: more than the disk takes
    import->setRowSelected(1, true); // 420 KB: fits
    AECDImport::Report report;
    {
        ProjectTest::FileSizeLimit limit(1000000);
        report = import->copyTracks();
    }
    EXPECT_EQ(report.failedTracks, (std::vector<int32_t>{1}));
    EXPECT_EQ(report.firstError, kCddaWriteFailed);
    EXPECT_EQ(report.files, (std::vector<std::string>{dir.file("song_2.wav")}));
    EXPECT_EQ(folderFiles(), (std::vector<std::string>{"song_2.wav"}))
        << "no partial file of the failed track";
    EXPECT_EQ(wavSamples(dir.file("song_2.wav")), disc.trackSamples(2));
    EXPECT_EQ(list.entry(0), dir.file("song_2.wav"));
    EXPECT_EQ(errorTexts(), (std::vector<std::string>{"S3133\nS3007 1"}));
}

TEST_F(CdImportTest, ATrackThatFailsHalfwayLeavesNoFileAndIsNamed) {
    auto import = openImport(target());
    for (int32_t row : {1, 3, 4}) {
        import->setRowSelected(row, true);
    }
    // Track 4 loses its second half after the table of contents was read; track 5 is gone.
    fs::resize_file(disc.binPath(), static_cast<uintmax_t>(disc.start(4) + 75) * 2352);
    const AECDImport::Report report = import->copyTracks();
    EXPECT_EQ(report.files, (std::vector<std::string>{dir.file("song_2.wav")}));
    EXPECT_EQ(report.failedTracks, (std::vector<int32_t>{4, 5}));
    EXPECT_EQ(report.firstError, kCddaReadFailed);
    EXPECT_EQ(folderFiles(), (std::vector<std::string>{"song_2.wav"}));
    EXPECT_EQ(errorTexts(), (std::vector<std::string>{"S3133\nS3007 4, S3007 5"}));
}

TEST_F(CdImportTest, AFolderThatCannotBeWrittenFailsEveryTrack) {
    auto import = openImport(target());
    import->setImportName(dir.file("missing/song.wav"));
    import->setRowSelected(0, true);
    import->setRowSelected(2, true);
    const AECDImport::Report report = import->copyTracks();
    EXPECT_TRUE(report.files.empty());
    EXPECT_EQ(report.failedTracks, (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(report.firstError, kCddaCreateFailed);
    EXPECT_EQ(errorTexts(), (std::vector<std::string>{"S3133\nS3007 1, S3007 3"}));
}

} // namespace
