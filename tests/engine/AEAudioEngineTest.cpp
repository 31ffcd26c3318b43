// The audio engine on the virtual wave device: recordings that are their input sample for
// sample, playback that is the file up to the chain's conversions, the end of a file, loop
// ranges, fades, the record limit, a full disk, devices and files that fail.
#include "AEFileManager.h"
#include "AlgorithmLibrary.h"
#include "AppHost.h"
#include "AudioFile.h"
#include "AudioTestSupport.h"
#include "EngineTestSupport.h"
#include "FrameConversion.h"
#include "ProjectTestSupport.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace {

using namespace EngineTest;

constexpr int32_t kRate = 44100;
constexpr int32_t kBufferFrames = 8192;
constexpr int32_t kQueuedFrames = 4 * kBufferFrames;

class AEAudioEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        AlgorithmLibrary::initialise(AlgorithmLibrary::kApplicationMaxBlock);
    }
    static void TearDownTestSuite() { AlgorithmLibrary::shutdown(); }

    AEAudioEngineTest() {
        opener.settings.fast = true;
        opener.settings.outputPath = tmp.file("played.wav");
    }

    // The frames the virtual device played after the silence it starts with.
    std::vector<int16_t> playedAfterLeadIn() const {
        std::vector<int16_t> played = readStereo16(opener.settings.outputPath);
        if (played.size() < 2 * static_cast<size_t>(kQueuedFrames)) {
            return {};
        }
        return {played.begin() + 2 * kQueuedFrames, played.end()};
    }

    // A file of counting frames (see countingFrames); "" when it cannot be written.
    std::string countingFile(int32_t frames) const {
        const std::string path = tmp.file("44100-2-16-counting-" + std::to_string(frames) + ".wav");
        return writeWave(path, countingFrames(frames)) ? path : std::string();
    }

    bool waitForIdle(AEAudioEngine& engine) {
        return waitFor([&] { return engine.state() == AEAudioEngine::kIdle; }, 5000);
    }

    ProjectTest::RecordingHost host;
    TestDir tmp;
    VirtualOpener opener;
};

// The peak file beside `path` holds the peaks of its audio as far as they go.
void expectPeaksOfTheAudio(const std::string& path) {
    const std::string copy = path + ".copy.wav";
    std::filesystem::copy_file(path, copy);
    AudioFile copied(copy);
    AEPeakData computed(&copied);
    ASSERT_TRUE(computed.compute());
    const auto recorded = AudioTest::readBytes(AEPeakData::peakPath(path));
    const auto expected = AudioTest::readBytes(AEPeakData::peakPath(copy));
    const int64_t frames = AEFileManager::framesOf(path);
    ASSERT_GE(static_cast<int64_t>(recorded.size()), (frames / 256 - 1) * 4);
    ASSERT_LE(recorded.size(), expected.size());
    EXPECT_TRUE(std::equal(recorded.begin(), recorded.end(), expected.begin()));
}

TEST_F(AEAudioEngineTest, ARecordingIsTheInputSampleForSampleFromWhereItBegan) {
    const std::vector<int16_t> input = countingFrames(10 * kRate);
    opener.settings.inputPath = tmp.file("44100-2-16-counting.wav");
    ASSERT_TRUE(writeWave(opener.settings.inputPath, input));
    VirtualEngine virtualEngine(opener);
    AEAudioEngine& engine = virtualEngine.engine;
    ASSERT_TRUE(engine.startInput());
    engine.setMetersEnabled(true);
    std::this_thread::sleep_for(100ms); // idle: the input runs and goes nowhere

    const std::string recording = tmp.file("recording.wav");
    const AERecordLimit limit = engine.setMaxRecordFrames(2 * kRate);
    EXPECT_EQ(limit.frames, 2 * kRate);
    EXPECT_FALSE(limit.byFileSize());
    engine.setFilePath(recording);
    ASSERT_TRUE(engine.record());
    EXPECT_EQ(engine.state(), AEAudioEngine::kRecording);
    EXPECT_TRUE(engine.isPlayingOrRecording());
    ASSERT_TRUE(host.waitFor(AppHost::kTagRecordingStopped, 1, 10s));
    ASSERT_TRUE(waitForIdle(engine));
    EXPECT_EQ(host.count(AppHost::kTagRecordingStopped), 1);
    EXPECT_EQ(host.count(AppHost::kTagTransportStopped), 1);
    EXPECT_EQ(engine.recordingDropouts().count, 0u);

    const std::vector<int16_t> recorded = readStereo16(recording);
    const size_t frames = recorded.size() / 2;
    ASSERT_GE(frames, static_cast<size_t>(limit.frames));
    EXPECT_LT(frames, static_cast<size_t>(limit.frames + 2 * kBufferFrames));
    const int64_t first = frameNumber(recorded.data());
    ASSERT_GE(first, 0) << "the recording begins with input, not silence";
    ASSERT_LE(static_cast<size_t>(first) + frames, input.size() / 2);
    EXPECT_TRUE(std::equal(recorded.begin(), recorded.end(), input.begin() + 2 * first))
        << "the recording is a gapless stretch of the input";
    expectPeaksOfTheAudio(recording);
    EXPECT_GT(engine.meter(AELevelMeters::kInLeft) + engine.meter(AELevelMeters::kInRight), -1);
}

TEST_F(AEAudioEngineTest, BypassedPlaybackIsTheFileUpToTheChainsConversions) {
    const std::vector<int16_t> file = AudioTest::noise16(2 * 2 * kRate, 7);
    const std::string path = tmp.file("44100-2-16-noise.wav");
    ASSERT_TRUE(writeWave(path, file));
    VirtualEngine virtualEngine(opener);
    AEAudioEngine& engine = virtualEngine.engine;
    engine.playbackSwitches()->setBypassButton(true);
    for (int32_t slot = 0; slot < 6; ++slot) {
        ASSERT_TRUE(engine.createProcessor(slot, 0.5f));
    }
    engine.createProcessor(7, 0.0f);
    engine.createProcessor(6, 0.0f);
    engine.setFilePath(path);
    ASSERT_TRUE(engine.play());
    ASSERT_TRUE(host.waitFor(AppHost::kTagTransportStopped, 1, 10s));
    ASSERT_TRUE(waitForIdle(engine));

    const std::vector<int16_t> played = playedAfterLeadIn();
    ASSERT_GE(played.size(), file.size());
    // Each buffer is converted to float and back on its own, as the chain sees it.
    std::vector<int16_t> padded = file;
    padded.resize((padded.size() / (2 * kBufferFrames) + 1) * 2 * kBufferFrames, 0);
    std::vector<float> left(kBufferFrames);
    std::vector<float> right(kBufferFrames);
    std::vector<int16_t> expected(padded.size());
    for (size_t begin = 0; begin < padded.size(); begin += 2 * kBufferFrames) {
        FrameConversion::toFloat(padded.data() + begin, kBufferFrames, left.data(), right.data());
        FrameConversion::toFrames(left.data(), right.data(), kBufferFrames,
                                  expected.data() + begin);
    }
    size_t different = 0;
    for (size_t i = 0; i < file.size(); ++i) {
        different += played[i] != expected[i];
    }
    EXPECT_EQ(different, 0u);
}

// Without processors playback is the file itself from the position sought, then silence;
// playing to the end stops once the queued buffers have played, in real time as a card's
// queue drains.
TEST_F(AEAudioEngineTest, PlaybackIsTheFileFromThePositionSoughtToItsEnd) {
    opener.settings.fast = false;
    const std::vector<int16_t> file = countingFrames(kRate);
    const std::string path = tmp.file("44100-2-16-one-second.wav");
    ASSERT_TRUE(writeWave(path, file));
    VirtualEngine virtualEngine(opener);
    AEAudioEngine& engine = virtualEngine.engine;
    engine.setFilePath(path);
    engine.seek(1000);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(engine.play());
    EXPECT_EQ(engine.state(), AEAudioEngine::kPlaying);
    ASSERT_TRUE(host.waitFor(AppHost::kTagTransportStopped, 1, 10s));
    const auto took = std::chrono::steady_clock::now() - started;
    // The lead-in and the rest of the second were heard before the end was noticed.
    EXPECT_GE(took, std::chrono::milliseconds(1000 * (kQueuedFrames + kRate - 1000) / kRate - 50));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(host.count(AppHost::kTagTransportStopped), 1);
    EXPECT_EQ(host.count(AppHost::kTagRecordingStopped), 0);
    EXPECT_TRUE(waitForIdle(engine));
    EXPECT_EQ(virtualEngine.device.mode(), AEMMEDevice::kModeRecord);

    const std::vector<int16_t> played = playedAfterLeadIn();
    ASSERT_GE(played.size(), file.size() - 2000);
    EXPECT_TRUE(std::equal(file.begin() + 2000, file.end(), played.begin()))
        << "played from the position sought";
    for (size_t i = file.size() - 2000; i < played.size(); ++i) {
        ASSERT_EQ(played[i], 0) << "silence after the end, at " << i;
    }
}

TEST_F(AEAudioEngineTest, ALoopJumpsBackToItsStartEveryTime) {
    const std::string path = countingFile(3 * kRate);
    ASSERT_FALSE(path.empty());
    VirtualEngine virtualEngine(opener);
    AEAudioEngine& engine = virtualEngine.engine;
    engine.setFilePath(path);
    const int32_t start = kRate;
    const int32_t end = kRate + kRate / 2;
    ASSERT_TRUE(engine.playRange(start, end));
    EXPECT_EQ(engine.state(), AEAudioEngine::kPlayingRange);
    EXPECT_EQ(engine.rangeStart(), start);
    EXPECT_EQ(engine.rangeEnd(), end);
    std::this_thread::sleep_for(600ms);
    EXPECT_EQ(engine.state(), AEAudioEngine::kPlayingRange) << "a loop never ends by itself";
    EXPECT_EQ(host.count(AppHost::kTagTransportStopped), 0);
    engine.stop();
    // The worker may already have closed the device by the time we look.
    const int32_t stopping = engine.state();
    EXPECT_TRUE(stopping == AEAudioEngine::kClosing || stopping == AEAudioEngine::kIdle)
        << stopping;
    EXPECT_TRUE(waitForIdle(engine));

    const std::vector<int16_t> played = playedAfterLeadIn();
    ASSERT_GT(played.size(), 2u);
    ASSERT_EQ(frameNumber(played.data()), start);
    std::vector<int64_t> jumpsFrom;
    for (size_t i = 2; i + 1 < played.size(); i += 2) {
        const int64_t previous = frameNumber(&played[i - 2]);
        const int64_t frame = frameNumber(&played[i]);
        if (frame != previous + 1) {
            ASSERT_EQ(frame, start) << "a jump goes to the loop's start, at " << i / 2;
            jumpsFrom.push_back(previous);
        }
    }
    ASSERT_GE(jumpsFrom.size(), 3u);
    for (int64_t from : jumpsFrom) {
        EXPECT_EQ(from, jumpsFrom.front()) << "every pass is the same";
        EXPECT_GE(from, end - 1) << "the whole range plays";
        EXPECT_LT(from, end + kQueuedFrames) << "no more than the queue past its end";
    }
}

TEST_F(AEAudioEngineTest, TheTitlesFadesShapeWhatIsPlayed) {
    const std::vector<int16_t> file(2 * 2 * static_cast<size_t>(kRate), 10000);
    const std::string path = tmp.file("44100-2-16-constant.wav");
    ASSERT_TRUE(writeWave(path, file));
    VirtualEngine virtualEngine(opener);
    AEAudioEngine& engine = virtualEngine.engine;
    engine.createProcessor(7, 0.0f);
    engine.setRange(10000, 20000, 30000, 40000);
    engine.setFilePath(path);
    ASSERT_TRUE(engine.play());
    ASSERT_TRUE(host.waitFor(AppHost::kTagTransportStopped, 1, 10s));
    const std::vector<int16_t> played = playedAfterLeadIn();
    ASSERT_GE(played.size(), 2u * 50000);
    EXPECT_EQ(played[2 * 5000], 0) << "trimmed before the start";
    EXPECT_NEAR(played[2 * 15000], 5000, 2) << "half-way up the fade-in";
    EXPECT_EQ(played[2 * 25000 + 1], 10000);
    EXPECT_NEAR(played[2 * 35000], 5000, 2) << "half-way down the fade-out";
    EXPECT_EQ(played[2 * 45000], 0) << "trimmed after the end";
}

// A file that cannot be opened and a sound card that will not play are refused, and the
// input runs on.
TEST_F(AEAudioEngineTest, APlaybackThatCannotStartLeavesTheEngineRecording) {
    const std::string path = countingFile(kRate);
    ASSERT_FALSE(path.empty());
    for (const bool cardRefuses : {false, true}) {
        opener.refuseOutput = cardRefuses;
        VirtualEngine virtualEngine(opener);
        AEAudioEngine& engine = virtualEngine.engine;
        ASSERT_TRUE(engine.startInput());
        engine.setFilePath(cardRefuses ? path : tmp.file("missing.wav"));
        EXPECT_FALSE(engine.play()) << cardRefuses;
        EXPECT_FALSE(engine.playRange(0, 1000)) << cardRefuses;
        EXPECT_EQ(engine.state(), AEAudioEngine::kIdle);
        EXPECT_EQ(virtualEngine.device.mode(), AEMMEDevice::kModeRecord);
        EXPECT_TRUE(virtualEngine.device.inputStarted());
        if (!cardRefuses) {
            EXPECT_EQ(*opener.outputsOpened, 0) << "the device was not switched for nothing";
        }
        EXPECT_EQ(virtualEngine.device.lastError().find("wave out open failed") !=
                      std::string::npos,
                  cardRefuses)
            << virtualEngine.device.lastError();
        engine.setFilePath("");
        EXPECT_FALSE(engine.play());
    }
}

TEST_F(AEAudioEngineTest, AFullDiskEndsTheRecordingWithCompleteFiles) {
    opener.settings.inputPath = countingFile(10 * kRate);
    ASSERT_FALSE(opener.settings.inputPath.empty());
    VirtualEngine virtualEngine(opener);
    AEAudioEngine& engine = virtualEngine.engine;
    ASSERT_TRUE(engine.startInput());
    // More room than a WAVE file holds: the engine keeps the capped limit.
    const AERecordLimit limit = engine.setMaxRecordFrames(int64_t{1} << 40);
    EXPECT_TRUE(engine.recordLimit().byFileSize());
    EXPECT_EQ(engine.recordLimit().frames, limit.frames);
    const std::string recording = tmp.file("recording.wav");
    engine.setFilePath(recording);
    {
        ProjectTest::FileSizeLimit disk(300000);
        ASSERT_TRUE(engine.record());
        ASSERT_TRUE(host.waitFor(AppHost::kTagRecordingStopped, 1, 10s));
        ASSERT_TRUE(waitForIdle(engine));
    }
    AudioFile file(recording);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_GT(file.frames(), 0);
    EXPECT_LE(44 + int64_t{file.frames()} * 4, 300000);
    EXPECT_EQ(AudioTest::fileSize(recording), 44 + int64_t{file.frames()} * 4)
        << "the header tells the frames the file holds";
    const std::vector<int16_t> recorded = readStereo16(recording);
    const int64_t first = frameNumber(recorded.data());
    for (size_t i = 0; i < recorded.size() / 2; ++i) {
        ASSERT_EQ(frameNumber(&recorded[2 * i]), first + static_cast<int64_t>(i));
    }
    expectPeaksOfTheAudio(recording);
}

TEST_F(AEAudioEngineTest, AnOutputThatFailsWhilePlayingStopsThePlayback) {
    opener.settings.fast = true;
    const std::string path = countingFile(20 * kRate);
    ASSERT_FALSE(path.empty());
    VirtualEngine virtualEngine(opener);
    AEAudioEngine& engine = virtualEngine.engine;
    engine.setFilePath(path);
    {
        // The virtual card writes what it plays: a full disk makes it fail.
        ProjectTest::FileSizeLimit disk(400000);
        ASSERT_TRUE(engine.play());
        ASSERT_TRUE(host.waitFor(AppHost::kTagTransportStopped, 1, 10s));
        ASSERT_TRUE(waitForIdle(engine));
    }
    EXPECT_TRUE(engine.deviceLost());
    EXPECT_EQ(virtualEngine.device.mode(), AEMMEDevice::kModeRecord);
}

} // namespace
