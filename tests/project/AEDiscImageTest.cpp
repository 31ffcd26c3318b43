// The disc image of a project read back through the CD layer: tracks, lengths, pauses and
// every sample of every title's playing range; and what is refused.
#include "AEDiscImage.h"
#include "CddaDrive.h"
#include "CddaDriveList.h"
#include "CddaTrackCopy.h"
#include "FadeEnvelope.h"
#include "ProjectTestSupport.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using ProjectTest::kSevenSeconds;

struct Collect : CddaSink {
    std::vector<int16_t> samples;
    int32_t writeSectors(const int16_t* data, int32_t sectors) override {
        samples.insert(samples.end(), data, data + int64_t{sectors} * kCddaSamplesPerSector);
        return kCddaOk;
    }
};

class DiscImageTest : public ::testing::Test {
protected:
    ~DiscImageTest() override { unsetenv("GLEAM_CD_IMAGES"); }

    // A title of its own file; its samples are kept for comparison.
    void addTitle(const std::string& name, int32_t frames, uint32_t seed) {
        const std::string path = dir.file(name + "-44100-2-16.wav");
        sources.push_back(ProjectTest::testSignal(frames, seed));
        ProjectTest::writeWaveSamples(path, sources.back());
        ASSERT_TRUE(project.addImportedFile(path));
        project.title(project.titleCount() - 1)->setDisplayName(name);
        project.title(project.titleCount() - 1)->setArtist("Artist " + name);
    }

    // What playback sends out for title `index`: its trim with the fade envelope applied.
    std::vector<int16_t> playingRange(int32_t index) const {
        const AETitle& title = *project.title(index);
        const int32_t a = title.fadePoint(0);
        const int32_t d = title.fadePoint(3);
        const auto& source = sources[static_cast<size_t>(index)];
        std::vector<int16_t> range(source.begin() + 2 * a, source.begin() + 2 * d);
        FadeEnvelope envelope(nullptr);
        envelope.setFades(a, title.fadePoint(1), title.fadePoint(2), d);
        envelope.setPosition(a);
        envelope.process(range.data(), d - a);
        return range;
    }

    std::unique_ptr<CddaDrive> openImage(const std::string& cue) {
        setenv("GLEAM_CD_IMAGES", cue.c_str(), 1);
        CddaDriveList list;
        const CddaDriveInfo* info = list.info(list.count() - 1);
        if (!info || !info->image) {
            return nullptr;
        }
        return std::make_unique<CddaDrive>(*info);
    }

    TestDir dir;
    AEProject project;
    std::vector<std::vector<int16_t>> sources;
};

TEST_F(DiscImageTest, ThreeTitlesReadBackAsTracksWithTheirPausesAndAudio) {
    ProjectTest::RecordingHost host;
    // Lengths that are not whole sectors, so padding shows.
    addTitle("one", kSevenSeconds + 1000, 1);
    addTitle("two", kSevenSeconds + 333, 2);
    addTitle("three", kSevenSeconds * 2 + 17, 3);
    // Title two trimmed with fades, title three with a pause of 0.
    AETitle& two = *project.title(1);
    two.setFadePoint(0, 12345);
    two.setFadePoint(1, 12345 + 30000);
    two.setFadePoint(2, kSevenSeconds - 40000);
    two.setFadePoint(3, kSevenSeconds - 101);
    two.setPauseSeconds("3");
    project.title(2)->setPauseSeconds("0");

    const std::string cue = dir.file("disc.cue");
    ASSERT_EQ(AEDiscImage::exportImage(project, cue), AEDiscImage::kWritten);
    ASSERT_TRUE(fs::exists(dir.file("disc.bin")));
    EXPECT_FALSE(fs::exists(cue + ".saving"));
    EXPECT_FALSE(fs::exists(dir.file("disc.bin.saving")));

    const std::string sheet = ProjectTest::readFile(cue);
    EXPECT_NE(sheet.find("FILE \"disc.bin\" BINARY"), std::string::npos);
    EXPECT_NE(sheet.find("TITLE \"two\""), std::string::npos);
    EXPECT_NE(sheet.find("PERFORMER \"Artist three\""), std::string::npos);
    // Only track two has a pause before it: one INDEX 00 in all.
    EXPECT_EQ(sheet.find("INDEX 00"), sheet.rfind("INDEX 00"));

    auto drive = openImage(cue);
    ASSERT_TRUE(drive);
    ASSERT_EQ(drive->trackCount(), 3);
    const int32_t sectors[3] = {AEDiscImage::paddedSectors(kSevenSeconds + 1000),
                                AEDiscImage::paddedSectors(kSevenSeconds - 101 - 12345),
                                AEDiscImage::paddedSectors(kSevenSeconds * 2 + 17)};
    const int32_t pauses[3] = {0, 3 * kCddaSectorsPerSecond, 0};
    CddaTrackInfo infos[3];
    for (int32_t t = 0; t < 3; ++t) {
        ASSERT_EQ(drive->readTrackInfo(t + 1, infos[t]), kCddaOk);
        EXPECT_EQ(infos[t].type, kCddaAudioTrack);
    }
    // A track's length reaches the next track's INDEX 01, so it holds that track's pause.
    for (int32_t t = 0; t < 3; ++t) {
        const int32_t pauseAfter = t < 2 ? pauses[t + 1] : 0;
        EXPECT_EQ(infos[t].length, sectors[t] + pauseAfter) << "track " << t + 1;
        if (t > 0) {
            EXPECT_EQ(infos[t].start - infos[t - 1].start, sectors[t - 1] + pauses[t]);
        }
    }

    for (int32_t t = 0; t < 3; ++t) {
        Collect sink;
        CddaTrackCopy copy(*drive, sink, infos[t].start, infos[t].length);
        ASSERT_EQ(copy.copy(), kCddaOk);
        const std::vector<int16_t> expected = playingRange(t);
        ASSERT_GE(sink.samples.size(), expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), sink.samples.begin()))
            << "track " << t + 1;
        // Padding and the next pause are silence.
        EXPECT_TRUE(std::all_of(sink.samples.begin() + static_cast<ptrdiff_t>(expected.size()),
                                sink.samples.end(), [](int16_t s) { return s == 0; }))
            << "track " << t + 1;
    }
}

TEST_F(DiscImageTest, ProcessedTitleGivesItsWholeProcessedFile) {
    addTitle("raw", kSevenSeconds, 4);
    // A trim on the recording must not apply once the title plays its processed copy.
    project.title(0)->setFadePoint(0, 5000);
    const std::string processedPath = dir.file("processed-44100-2-16.wav");
    const auto processed = ProjectTest::testSignal(kSevenSeconds + 588 * 3, 9);
    ProjectTest::writeWaveSamples(processedPath, processed);
    project.title(0)->setProcessedPath(processedPath);
    project.title(0)->setStateCode(AETitleProcessState::kProcessed);
    project.updateLengths();

    const std::string cue = dir.file("processed.cue");
    ASSERT_EQ(AEDiscImage::exportImage(project, cue), AEDiscImage::kWritten);
    auto drive = openImage(cue);
    ASSERT_TRUE(drive);
    CddaTrackInfo info;
    ASSERT_EQ(drive->readTrackInfo(1, info), kCddaOk);
    ASSERT_EQ(info.length, AEDiscImage::paddedSectors(kSevenSeconds + 588 * 3));
    Collect sink;
    CddaTrackCopy copy(*drive, sink, info.start, info.length);
    ASSERT_EQ(copy.copy(), kCddaOk);
    EXPECT_EQ(sink.samples, processed);
}

TEST_F(DiscImageTest, QuotesInNamesAndTrimsPastTheFileStayHarmless) {
    addTitle("first", kSevenSeconds, 12);
    addTitle("second", kSevenSeconds, 13);
    project.title(0)->setDisplayName("Say \"hi\"\nagain");
    // A trim end past the file plays no further than the file.
    project.title(1)->setFadePoint(2, kSevenSeconds + 5000);
    project.title(1)->setFadePoint(3, kSevenSeconds + 9000);
    std::vector<AEDiscImage::TrackPlan> plans;
    ASSERT_TRUE(AEDiscImage::planTracks(project, plans));
    ASSERT_EQ(plans.size(), 2u);
    EXPECT_EQ(plans[1].frames, kSevenSeconds);
    EXPECT_EQ(plans[1].fadePoints[2], kSevenSeconds);
    const std::string sheet = AEDiscImage::cueSheet(plans, "x.bin");
    EXPECT_NE(sheet.find("TITLE \"Say 'hi' again\"\n"), std::string::npos) << sheet;
}

// A project longer than the disc, without titles, with missing audio or cancelled midway
// writes nothing (no half-written file either).
TEST_F(DiscImageTest, RefusedOrCancelledExportsWriteNothing) {
    ProjectTest::RecordingHost host;
    const std::string cue = dir.file("none.cue");
    EXPECT_EQ(AEDiscImage::exportImage(project, cue), AEDiscImage::kNoTitles);
    addTitle("long", kSevenSeconds * 2, 5);
    addTitle("longer", kSevenSeconds * 2, 6);
    // A 20-second disc holds neither the 14 s plus 2 s pause plus 14 s.
    EXPECT_EQ(AEDiscImage::exportImage(project, cue, 20), AEDiscImage::kTooLong);
    // It fits a disc just long enough (the first track's pregap counted).
    EXPECT_EQ(AEDiscImage::exportImage(project, dir.file("fits.cue"), 35), AEDiscImage::kWritten);
    // Cancelled after some audio is written.
    host.onAdvance = [&](int64_t steps) { host.cancel = steps >= 3; };
    EXPECT_EQ(AEDiscImage::exportImage(project, cue), AEDiscImage::kCancelled);
    host.onAdvance = nullptr;
    host.cancel = false;
    fs::remove(project.title(1)->audioBase() + ".wav");
    EXPECT_EQ(AEDiscImage::exportImage(project, cue), AEDiscImage::kCannotRead);
    for (const char* name : {"none.cue", "none.bin", "none.cue.saving", "none.bin.saving"}) {
        EXPECT_FALSE(fs::exists(dir.file(name))) << name;
    }
}

} // namespace
