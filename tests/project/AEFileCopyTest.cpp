// The background copy of a whole file: its chunk rule, messages, busy and cancel flags,
// a full disk; the export of a title that plays part of its file. (The export of a whole
// title file, processed or not: AEDialogCommandsTest, UsersWeekTest.)
#include "AEFileCopy.h"

#include "AEBackgroundJob.h"
#include "AEExport.h"
#include "AEFileManager.h"
#include "AEProject.h"
#include "AudioTestSupport.h"
#include "ProjectTestSupport.h"
#include "RunTestSupport.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <thread>

namespace {

using AEFileCopy::kChunkBytes;

class FileCopyTest : public ::testing::Test {
protected:
    // A file "source-<bytes>.bin" of reproducible noise.
    std::string source(int64_t bytes) {
        const std::string path = dir.file("source-" + std::to_string(bytes) + ".bin");
        auto noise = AudioTest::asBytes(AudioTest::noise16((bytes + 1) / 2, 7));
        noise.resize(static_cast<size_t>(bytes));
        AudioTest::writeBytes(path, noise);
        return path;
    }
    ProjectTest::RecordingHost host;
    TestDir dir;
};

// Less than one chunk is not copied at all; one chunk and more are copied byte for byte,
// with the progress counted in chunks, busy while copying and a cancel left over from an
// earlier operation cleared.
TEST_F(FileCopyTest, WholeChunksAndARestAreCopiedByteForByte) {
    EXPECT_EQ(AEFileCopy::copyFile(source(kChunkBytes - 1), dir.file("out.bin")),
              AEFileCopy::kTooShort);
    EXPECT_EQ(AEFileCopy::copyFile(dir.file("none.bin"), dir.file("out.bin")),
              AEFileCopy::kTooShort);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.bin")));
    bool busyWhileCopying = false;
    host.onAdvance = [&](int64_t) { busyWhileCopying = host.busy; };
    for (int64_t bytes : {kChunkBytes, 3 * kChunkBytes + 5, 20 * kChunkBytes - 1}) {
        host.messages.clear();
        host.cancel = true;
        const std::string from = source(bytes);
        const std::string to = dir.file("out-" + std::to_string(bytes) + ".bin");
        EXPECT_EQ(AEFileCopy::copyFile(from, to), AEFileCopy::kCopied) << bytes;
        EXPECT_EQ(AudioTest::readBytes(to), AudioTest::readBytes(from)) << bytes;
        EXPECT_EQ(host.progressMaximum, bytes / kChunkBytes);
        EXPECT_EQ(host.tags(), (std::vector<int32_t>{24, 25}));
        EXPECT_TRUE(busyWhileCopying);
        EXPECT_FALSE(host.busy);
        EXPECT_FALSE(host.cancel);
    }
}

// A copy that is cancelled or runs out of room leaves nothing of itself: no partial file,
// the file it would have replaced as it was, the busy state ended; a full disk is told.
// (One that cannot make its file: ExportCommandTest.RefusedExportsSayWhyAndChangeNoFile.)
TEST_F(FileCopyTest, AFailedCopyLeavesNoFileAndKeepsTheOneItWouldReplace) {
    const std::string from = source(40 * kChunkBytes);
    const struct {
        const char* what;
        int64_t limit; // bytes a file may grow to, 0: no limit
        bool cancel;
        AEFileCopy::Result result;
        std::vector<int32_t> tags;
    } cases[] = {
        {"cancelled", 0, true, AEFileCopy::kCancelled, {24, 25}},
        {"disk full", 10 * kChunkBytes, false, AEFileCopy::kDiskFull, {24, 20, 25}},
    };
    ProjectTest::writeFile(dir.file("out.bin"), "the earlier export");
    for (const auto& c : cases) {
        host.messages.clear();
        host.onAdvance = [&](int64_t done) { host.cancel = c.cancel && done >= 3; };
        {
            std::optional<ProjectTest::FileSizeLimit> limit;
            if (c.limit > 0) {
                limit.emplace(c.limit);
            }
            EXPECT_EQ(AEFileCopy::copyFile(from, dir.file("out.bin")), c.result) << c.what;
        }
        EXPECT_EQ(RunTest::filesIn(dir.path()),
                  (std::vector<std::string>{"out.bin", "source-1310680.bin"}))
            << c.what;
        EXPECT_EQ(ProjectTest::readFile(dir.file("out.bin")), "the earlier export") << c.what;
        EXPECT_EQ(host.tags(), c.tags) << c.what;
        EXPECT_FALSE(host.busy) << c.what;
        if (c.limit > 0) {
            EXPECT_EQ(host.messages[1].data, 3008) << "the disk is full";
        }
    }
}

TEST_F(FileCopyTest, CopyingAFileOntoItselfKeepsIt) {
    const std::string from = source(5 * kChunkBytes + 9);
    const auto before = AudioTest::readBytes(from);
    EXPECT_EQ(AEFileCopy::copyFile(from, from), AEFileCopy::kCopied);
    EXPECT_EQ(AudioTest::readBytes(from), before);
}

// The message that ends a job reaches a handler that can already collect it (the
// waveform left "Building…" for good when its refresh came a moment too early).
TEST_F(FileCopyTest, AJobAnnouncesItsEndOnlyOnceItCountsAsFinished) {
    struct Watching : ProjectTest::RecordingHost {
        void postAppMessage(int32_t tag, int32_t data, int32_t data2, FRef<FShared> obj) override {
            finishedWhenPosted = job.load()->finished();
            RecordingHost::postAppMessage(tag, data, data2, std::move(obj));
        }
        std::atomic<AEBackgroundJob*> job{nullptr};
        std::atomic<bool> finishedWhenPosted{false};
    } watching;
    std::atomic<bool> started{false};
    AEBackgroundJob job(
        [&started] {
            while (!started.load()) {
                std::this_thread::yield();
            }
            return 7;
        },
        AppHost::kTagRefreshWaveform);
    watching.job = &job;
    started = true;
    EXPECT_EQ(job.wait(), 7);
    EXPECT_EQ(watching.tags(), (std::vector<int32_t>{27}));
    EXPECT_TRUE(watching.finishedWhenPosted.load());
}

TEST_F(FileCopyTest, ATrimmedTitleExportsWhatItPlaysTrimmedAndFaded) {
    AEProject project;
    AEFileManager files;
    files.setProject(&project);
    const std::string side = dir.file("44100-2-16-side.wav");
    const std::vector<int16_t> source = ProjectTest::testSignal(2 * ProjectTest::kSevenSeconds);
    ProjectTest::writeWaveSamples(side, source);
    ASSERT_TRUE(project.addImportedFile(side));
    const int32_t points[4] = {10001, 14411, 400000, 500000};
    for (int k = 0; k < 4; ++k) {
        project.title(0)->setFadePoint(k, points[k]);
    }

    ASSERT_EQ(AEExport::exportTitleAudio(files, 0, dir.file("export.wav"))->wait(),
              AEFileCopy::kCopied);
    EXPECT_EQ(host.tags(), (std::vector<int32_t>{24, 25}));
    const std::vector<int16_t> out = RunTest::readStereo(dir.file("export.wav"));
    ASSERT_EQ(out.size(), 2u * (points[3] - points[0]));
    // Untouched between the fades; silent at the trim; half way up half the level.
    EXPECT_TRUE(std::equal(out.begin() + 2 * (points[1] - points[0]),
                           out.begin() + 2 * (points[2] - points[0]),
                           source.begin() + 2 * points[1]));
    EXPECT_EQ(out[0], 0);
    for (int32_t at : {(points[0] + points[1]) / 2, (points[2] + points[3]) / 2}) {
        const double expected = 0.5 * source[2 * static_cast<size_t>(at)];
        EXPECT_NEAR(out[2 * static_cast<size_t>(at - points[0])], expected, 1.0 + 1e-3 * 32768)
            << at;
    }

    // Cancelled, or on a full disk: no file, nothing half written.
    host.onAdvance = [&](int64_t) { host.cancel = true; };
    EXPECT_EQ(AEExport::exportTitleAudio(files, 0, dir.file("cancelled.wav"))->wait(),
              AEFileCopy::kCancelled);
    host.onAdvance = nullptr;
    {
        ProjectTest::FileSizeLimit limit(100000);
        EXPECT_EQ(AEExport::exportTitleAudio(files, 0, dir.file("full.wav"))->wait(),
                  AEFileCopy::kDiskFull);
    }
    EXPECT_EQ(RunTest::filesIn(dir.path()),
              (std::vector<std::string>{"44100-2-16-side.wav", "export.wav"}));
    EXPECT_FALSE(host.busy);
}

} // namespace
