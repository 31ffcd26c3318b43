// Title files: creating, reading (mono as stereo), positions, stop position and loop
// range, and the engine's side of a buffer in each mode. (Playing to the end, fades and
// recordings through the engine: AEAudioEngineTest; moveRange and the endless play mode,
// which nothing uses, are left untested.)
#include "AEAudiofile.h"

#include "AudioTestSupport.h"
#include "ProjectTestSupport.h"
#include "RunTestSupport.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

namespace {

using ProjectTest::testSignal;

std::vector<int16_t> slice(const std::vector<int16_t>& stereo, int32_t from, int32_t frames) {
    return {stereo.begin() + int64_t{from} * 2, stereo.begin() + (int64_t{from} + frames) * 2};
}

class AEAudiofileTest : public ::testing::Test {
protected:
    // A stereo file "44100-2-16-<frames>.wav" holding testSignal(frames).
    std::string stereoFile(int32_t frames) {
        const std::string path = dir.file("44100-2-16-" + std::to_string(frames) + ".wav");
        signal = testSignal(frames);
        ProjectTest::writeWaveSamples(path, signal);
        return path;
    }

    // Plays `buffers` buffers of `frames` frames through `file`, counting end requests.
    std::vector<std::vector<int16_t>> play(AEAudiofile& file, int32_t buffers, int32_t frames) {
        std::vector<std::vector<int16_t>> out;
        for (int32_t b = 0; b < buffers; ++b) {
            std::vector<int16_t> buffer(static_cast<size_t>(frames) * 2, 777);
            file.processBuffer(buffer.data(), frames);
            out.push_back(buffer);
            ends.push_back(endCalls);
        }
        return out;
    }

    void countEnds(AEAudiofile& file) {
        file.setEndHandler([this] { ++endCalls; });
    }

    ProjectTest::RecordingHost host;
    TestDir dir;
    std::vector<int16_t> signal;
    int endCalls = 0;
    std::vector<int> ends; // end requests so far, after each buffer
};

TEST_F(AEAudiofileTest, CreateWritesA44100Stereo16BitFile) {
    const std::string path = dir.file("new.wav");
    AEAudiofile file(path);
    ASSERT_TRUE(file.create());
    const auto samples = testSignal(5000);
    EXPECT_EQ(file.writeStereo(samples.data(), 5000), 5000);
    EXPECT_EQ(file.getLength(), 5000);
    EXPECT_TRUE(file.close());

    const auto bytes = AudioTest::readBytes(path);
    ASSERT_EQ(bytes.size(), 44u + 5000 * 4);
    EXPECT_EQ(AudioTest::le16(bytes, 22), 2);         // channels
    EXPECT_EQ(AudioTest::le32(bytes, 24), 44100u);    // rate
    EXPECT_EQ(AudioTest::le32(bytes, 28), 176400u);   // byte rate
    EXPECT_EQ(AudioTest::le16(bytes, 32), 4);         // block align
    EXPECT_EQ(AudioTest::le16(bytes, 34), 16);        // bits
    EXPECT_EQ(AudioTest::le32(bytes, 40), 5000u * 4); // data size
    EXPECT_EQ(AudioTest::asSamples({bytes.begin() + 44, bytes.end()}), samples);
    EXPECT_FALSE(AEAudiofile(dir.file("missing/new.wav")).create());
}

TEST_F(AEAudiofileTest, OpenForReadGivesLengthAndPositions) {
    AEAudiofile file(stereoFile(20000));
    ASSERT_TRUE(file.openForRead());
    EXPECT_EQ(file.getLength(), 20000);
    EXPECT_EQ(file.getPosition(), 0);
    EXPECT_EQ(file.mode(), AEAudiofile::kPlayToEnd);
    std::vector<int16_t> buffer(200);
    ASSERT_TRUE(file.seek(25000)) << "kept within the file";
    EXPECT_EQ(file.getPosition(), 0) << "at the end the position reads 0";
    EXPECT_EQ(file.readStereo(buffer.data(), 100), 0);
    EXPECT_FALSE(AEAudiofile(dir.file("none.wav")).openForRead());
}

TEST_F(AEAudiofileTest, AMonoFileReadsAsStereoWithBothChannelsEqual) {
    // Longer than the scratch buffer, so it is read in pieces.
    const int32_t frames = AEAudiofile::kScratchFrames + 3001;
    const auto mono = AudioTest::sine16(frames, 1, 441.0, 44100.0, 12000.0);
    const std::string path = dir.file("44100-1-16.wav");
    ASSERT_TRUE(AudioTest::writeSystemFile(path, mono, 1));
    AEAudiofile file(path);
    ASSERT_TRUE(file.openForRead());
    EXPECT_EQ(file.getLength(), frames);
    std::vector<int16_t> stereo(static_cast<size_t>(frames + 10) * 2);
    ASSERT_EQ(file.readStereo(stereo.data(), frames + 10), frames);
    stereo.resize(2 * static_cast<size_t>(frames));
    EXPECT_EQ(stereo, RunTest::bothChannels(mono));
}

// A stop position inside the file (or forced beyond it) ends playback once the queued
// buffers have played.
TEST_F(AEAudiofileTest, AStopPositionEndsPlayback) {
    AEAudiofile file(stereoFile(50000));
    ASSERT_TRUE(file.openForRead());
    EXPECT_EQ(file.stopPosition(), AEAudiofile::kNoStop);
    file.setStopPosition(50000, false);
    EXPECT_EQ(file.stopPosition(), AEAudiofile::kNoStop) << "at the length: not stored";
    file.setStopPosition(5000000, true);
    EXPECT_EQ(file.stopPosition(), 5000000);
    file.setQueuedBuffers(2);
    file.setStopPosition(4000, false);
    countEnds(file);
    play(file, 8, 1000);
    // Position 6 000 is the first at or past 4 000 + 2 × 1000.
    EXPECT_EQ(ends, (std::vector<int>{0, 0, 0, 0, 0, 0, 1, 2}));
}

TEST_F(AEAudiofileTest, ALoopJumpsBackToTheRangeStartAndTellsTheFades) {
    AEAudiofile file(stereoFile(20000));
    ASSERT_TRUE(file.openForRead());
    file.setQueuedBuffers(2);
    EXPECT_FALSE(file.setLoopRange(500, 500));
    EXPECT_FALSE(file.setLoopRange(-1, 500));
    ASSERT_TRUE(file.setLoopRange(2048, 6144));
    EXPECT_EQ(file.mode(), AEAudiofile::kLoopRange);
    ASSERT_TRUE(file.seek(2048));
    // Silence after frame 7000: a fade position that was not brought back with the jump
    // would silence the looped audio.
    ASSERT_TRUE(file.chain().createProcessor(ProcessorChain::kFadeSlot, 0.0f));
    file.chain().setFades(1000, 1000, 7000, 7000);
    file.chain().setPosition(2048);
    countEnds(file);
    const auto out = play(file, 12, 1024);
    EXPECT_EQ(endCalls, 0) << "a loop never ends by itself";
    // Frames 2048..7167 (five buffers), then back to 2048 each time.
    for (int round = 0; round < 2; ++round) {
        for (int b = 0; b < 5; ++b) {
            const auto& buffer = out[static_cast<size_t>(round * 5 + b)];
            if (2048 + b * 1024 + 1024 <= 7000) {
                EXPECT_EQ(buffer, slice(signal, 2048 + b * 1024, 1024)) << round << " " << b;
            }
        }
    }
    EXPECT_EQ(out[5], slice(signal, 2048, 1024));
    EXPECT_EQ(out[10], slice(signal, 2048, 1024));
}

} // namespace
