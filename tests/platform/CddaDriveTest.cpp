// The CD layer against CD images made by the test: the drive list, the table of contents
// and the copy of a track through cdio-paranoia, stopped, failing and out of range.
#include "CddaDrive.h"
#include "CddaDriveList.h"
#include "CddaTrackCopy.h"

#include "support/CdImage.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using CdTest::CdImage;

// Keeps what a copy delivers.
class VectorSink : public CddaSink {
public:
    int32_t writeSectors(const int16_t* samples, int32_t sectors) override {
        data.insert(data.end(), samples, samples + sectors * kCddaSamplesPerSector);
        delivered += sectors;
        return kCddaOk;
    }
    std::vector<int16_t> data;
    std::atomic<int32_t> delivered{0};
};

class ObservedCopy : public CddaTrackCopy {
public:
    using CddaTrackCopy::CddaTrackCopy;
    std::vector<float> percents;
    int started = 0;
    int finished = 0;

protected:
    void copyStarted() override { ++started; }
    void copyProgress(float percent) override { percents.push_back(percent); }
    void copyFinished() override { ++finished; }
};

CddaDriveInfo imageInfo(const std::string& path) {
    CddaDriveInfo info;
    info.source = path;
    info.image = true;
    return info;
}

class CddaDriveTest : public ::testing::Test {
protected:
    TestDir dir;
    // 600 sectors, 150, then 300 behind a 30-sector pregap, then a data track.
    CdImage disc{
        dir.path(), "disc-600-150-p30x300-d120", {{600}, {150}, {300, false, 30}, {120, true}}};
};

TEST_F(CddaDriveTest, TheListHoldsTheImagesNamedInTheEnvironmentInOrder) {
    const std::string list = disc.cuePath() + "::" + dir.file("missing.cue") + ":";
    setenv("GLEAM_CD_IMAGES", list.c_str(), 1);
    EXPECT_EQ(CddaDriveList::imagePaths(),
              (std::vector<std::string>{disc.cuePath(), dir.file("missing.cue")}));
    const CddaDriveList drives;
    const int32_t system = drives.count() - 2;
    ASSERT_GE(system, 0);
    EXPECT_EQ(drives.info(system)->source, disc.cuePath());
    EXPECT_EQ(drives.info(system + 1)->product, "missing.cue");
    EXPECT_EQ(drives.info(-1), nullptr);
    unsetenv("GLEAM_CD_IMAGES");
    EXPECT_TRUE(CddaDriveList::imagePaths().empty());
}

TEST_F(CddaDriveTest, TheTableOfContentsGivesStartLengthAndType) {
    CddaDrive drive(imageInfo(disc.cuePath()));
    ASSERT_EQ(drive.lastError(), kCddaOk);
    const CddaStatus status = drive.status();
    EXPECT_TRUE(status.readable);
    EXPECT_EQ(status.tracks, 4);
    EXPECT_EQ(drive.trackCount(), 4);
    for (int32_t number = 1; number <= 4; ++number) {
        CddaTrackInfo track;
        ASSERT_EQ(drive.readTrackInfo(number, track), kCddaOk) << number;
        EXPECT_EQ(track.number, number);
        EXPECT_EQ(track.start, disc.start(number)) << number;
        EXPECT_EQ(track.length, disc.length(number)) << number;
        EXPECT_EQ(track.type, number == 4 ? kCddaDataTrack : kCddaAudioTrack) << number;
    }
    // The second track's copy runs into the third track's pregap.
    EXPECT_EQ(disc.length(2), 180);
    CddaTrackInfo none;
    EXPECT_EQ(drive.readTrackInfo(0, none), kCddaNoTrack);
    EXPECT_EQ(drive.readTrackInfo(5, none), kCddaNoTrack);
    EXPECT_FALSE(drive.mediaChanged());
    drive.reload();
    EXPECT_EQ(drive.trackCount(), 4);
}

TEST_F(CddaDriveTest, AMissingOrDamagedImageIsNoReadableDisc) {
    CddaDrive missing(imageInfo(dir.file("missing.cue")));
    EXPECT_EQ(missing.lastError(), kCddaNoDrive);
    EXPECT_FALSE(missing.status().readable);
    EXPECT_EQ(missing.trackCount(), 0);
    CddaTrackInfo track;
    EXPECT_EQ(missing.readTrackInfo(1, track), kCddaNoDrive);
    VectorSink sink;
    ObservedCopy copy(missing, sink, 0, 10);
    EXPECT_EQ(copy.lastError(), kCddaNoDrive);
    EXPECT_EQ(copy.copy(), kCddaNoDrive);
    EXPECT_EQ(copy.started, 0);

    const std::string garbage = dir.file("garbage.cue");
    std::ofstream(garbage) << "this is not a cue sheet\n";
    std::ofstream(dir.file("garbage.bin")) << "nor this a disc";
    CddaDrive damaged(imageInfo(garbage));
    EXPECT_FALSE(damaged.status().readable);
    EXPECT_EQ(damaged.trackCount(), 0);
}

TEST_F(CddaDriveTest, ACopiedTrackIsTheImagesAudioSampleForSample) {
    CddaDrive drive(imageInfo(disc.cuePath()));
    for (int32_t number : {1, 2, 3}) {
        VectorSink sink;
        ObservedCopy copy(drive, sink, disc.start(number), disc.length(number));
        ASSERT_EQ(copy.lastError(), kCddaOk);
        EXPECT_EQ(copy.copy(), kCddaOk) << number;
        EXPECT_EQ(sink.data, disc.trackSamples(number)) << "track " << number;
        EXPECT_EQ(copy.started, 1);
        EXPECT_EQ(copy.finished, 1);
        ASSERT_FALSE(copy.percents.empty());
        EXPECT_FLOAT_EQ(copy.percents.back(), 100.0f);
        EXPECT_TRUE(std::is_sorted(copy.percents.begin(), copy.percents.end()));
    }
}

TEST_F(CddaDriveTest, ACopyOutsideTheDiscIsRefused) {
    CddaDrive drive(imageInfo(disc.cuePath()));
    VectorSink sink;
    const int32_t audioEnd = disc.start(4);
    for (auto [start, length] : {std::pair{-1, 10},
                                 {0, 0},
                                 {disc.totalSectors() - 5, 6},
                                 {audioEnd - 5, 6},
                                 {disc.start(4), 5}}) {
        ObservedCopy copy(drive, sink, start, length);
        EXPECT_EQ(copy.lastError(), kCddaBadRange) << start << " " << length;
        EXPECT_EQ(copy.copy(), kCddaBadRange);
        EXPECT_EQ(copy.started, 0);
    }
    EXPECT_TRUE(sink.data.empty());
    // The last sectors of audio, right before the data track.
    ObservedCopy last(drive, sink, audioEnd - 5, 5);
    EXPECT_EQ(last.copy(), kCddaOk);
    EXPECT_EQ(sink.data, disc.samples(audioEnd - 5, 5));
}

TEST_F(CddaDriveTest, AStopFromAnotherThreadEndsTheCopyEarly) {
    CdImage longDisc(dir.path(), "long-6000", {{6000}});
    CddaDrive drive(imageInfo(longDisc.cuePath()));
    VectorSink sink;
    ObservedCopy copy(drive, sink, 0, 6000);
    std::atomic<int32_t> result{-1};
    std::thread copying([&] { result = copy.copy(); });
    while (sink.delivered.load() < 100 && result.load() < 0) {
        std::this_thread::yield();
    }
    copy.stopCopy();
    copying.join();
    EXPECT_EQ(result.load(), kCddaStopped);
    EXPECT_EQ(copy.lastError(), kCddaStopped);
    EXPECT_LT(sink.delivered.load(), 6000);
    EXPECT_EQ(copy.finished, 1);
}

TEST_F(CddaDriveTest, UnreadableSectorsFailTheCopyInsteadOfLeavingAGap) {
    CddaDrive drive(imageInfo(disc.cuePath()));
    // The disc loses its end after the table of contents was read, as a scratch would.
    std::filesystem::resize_file(disc.binPath(),
                                 static_cast<uintmax_t>(disc.start(2) + 50) * kCddaSectorBytes);
    VectorSink sink;
    ObservedCopy copy(drive, sink, disc.start(2), disc.length(2));
    ASSERT_EQ(copy.lastError(), kCddaOk);
    EXPECT_EQ(copy.copy(), kCddaReadFailed);
    EXPECT_LT(sink.delivered.load(), disc.length(2));
    EXPECT_EQ(copy.finished, 1);
}

} // namespace
