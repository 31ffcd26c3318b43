// Peak files: block values, block counts, loading, building with progress, recordings in
// buffers of any size, and the buffer growing as far as a recording needs. (The peak file
// of an import, recorded and then built: AEFileManagerTest.)
#include "AEPeakData.h"
#include "PeakBlocks.h"

#include "AudioFile.h"

#include "ProjectTestSupport.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

// The blocks of `samples` computed the plain way, frame by frame.
std::vector<int8_t> referenceBlocks(const std::vector<int16_t>& samples) {
    const size_t frames = samples.size() / 2;
    std::vector<int8_t> blocks;
    for (size_t start = 0; start < frames; start += 256) {
        int lo[2] = {0, 0};
        int hi[2] = {0, 0};
        for (size_t f = start; f < std::min(frames, start + 256); ++f) {
            for (int c = 0; c < 2; ++c) {
                lo[c] = std::min<int>(lo[c], samples[2 * f + c]);
                hi[c] = std::max<int>(hi[c], samples[2 * f + c]);
            }
        }
        for (int c = 0; c < 2; ++c) {
            blocks.push_back(static_cast<int8_t>(lo[c] >> 8));
            blocks.push_back(static_cast<int8_t>(hi[c] >> 8));
        }
    }
    return blocks;
}

std::vector<int8_t> blocksOf(const AEPeakData& peaks) {
    return std::vector<int8_t>(peaks.data(), peaks.data() + int64_t{peaks.blockCount()} * 4);
}

class PeakDataTest : public ::testing::Test {
protected:
    std::string wave(const std::string& name, const std::vector<int16_t>& samples) {
        const std::string path = dir.file(name);
        ProjectTest::writeWaveSamples(path, samples);
        return path;
    }

    ProjectTest::RecordingHost host;
    TestDir dir;
};

TEST(PeakBlocks, FullScaleAndOtherBlocksAsThePlainWayHasThem) {
    std::vector<int16_t> up(512, 32767);
    std::vector<int16_t> down(512, -32768);
    int8_t out[4];
    PeakBlocks::computeFull(up.data(), 1, out);
    EXPECT_EQ(std::vector<int8_t>(out, out + 4), (std::vector<int8_t>{0, 127, 0, 127}));
    PeakBlocks::computeFull(down.data(), 1, out);
    EXPECT_EQ(std::vector<int8_t>(out, out + 4), (std::vector<int8_t>{-128, 0, -128, 0}));
    PeakBlocks::Range range;
    range.add(down.data(), 3);
    range.store(out);
    EXPECT_EQ(std::vector<int8_t>(out, out + 4), (std::vector<int8_t>{-128, 0, -128, 0}));

    // Any other audio as the plain way has it.
    const auto samples = ProjectTest::testSignal(256 * 40, 3);
    std::vector<int8_t> fast(40 * 4);
    PeakBlocks::computeFull(samples.data(), 40, fast.data());
    EXPECT_EQ(fast, referenceBlocks(samples));
}

TEST_F(PeakDataTest, BlockCountsOfComputedPeaks) {
    for (int32_t frames : {0, 255, 256, 257, 1000}) {
        const std::string path =
            wave(std::to_string(frames) + ".wav", std::vector<int16_t>(size_t(frames) * 2, 1000));
        AudioFile file(path);
        AEPeakData peaks(&file);
        ASSERT_TRUE(peaks.build()) << frames;
        EXPECT_EQ(peaks.blockCount(), frames / 256 + 1) << frames;
        EXPECT_TRUE(peaks.isSaved());
        EXPECT_EQ(std::filesystem::file_size(peaks.peakPath()), size_t(frames / 256 + 1) * 4);
    }
}

TEST_F(PeakDataTest, ComputedPeaksMatchTheAudio) {
    const auto samples = ProjectTest::testSignal(256 * 500 + 100, 9);
    const std::string path = wave("signal-44100-2-16.wav", samples);
    AudioFile file(path);
    AEPeakData peaks(&file);
    ASSERT_TRUE(peaks.build());
    EXPECT_EQ(blocksOf(peaks), referenceBlocks(samples));
    EXPECT_EQ(host.progressBegins, 1);
    EXPECT_FALSE(file.isOpen());

    // The second build finds the peak file: its last block is not counted.
    AEPeakData again(&file);
    ASSERT_TRUE(again.build());
    EXPECT_EQ(again.blockCount(), peaks.blockCount() - 1);
    EXPECT_TRUE(std::equal(again.data(), again.data() + again.blockCount() * 4, peaks.data()));
    EXPECT_EQ(host.progressBegins, 1) << "loading shows no progress";
}

TEST_F(PeakDataTest, LoadingCountsWholeBlocksOfAllButTheLastByte) {
    AudioFile file(dir.file("load.wav"));
    AEPeakData peaks(&file);
    EXPECT_FALSE(peaks.load()) << "no peak file";
    const std::pair<size_t, int32_t> cases[] = {{40, 9}, {41, 10}, {5, 1}, {4, 0}};
    for (const auto& [bytes, blocks] : cases) {
        ProjectTest::writeFile(peaks.peakPath(), std::string(bytes, '\x05'));
        ASSERT_TRUE(peaks.load()) << bytes;
        EXPECT_EQ(peaks.blockCount(), blocks) << bytes;
        EXPECT_TRUE(peaks.isValid());
    }
    for (size_t bytes : {0, 1}) {
        ProjectTest::writeFile(peaks.peakPath(), std::string(bytes, '\x05'));
        EXPECT_FALSE(peaks.load()) << bytes;
        EXPECT_FALSE(peaks.isValid());
    }
}

TEST_F(PeakDataTest, NoAudioNoPeaks) {
    AudioFile file(dir.file("missing.wav"));
    AEPeakData peaks(&file);
    EXPECT_FALSE(peaks.build());
    EXPECT_FALSE(peaks.isValid());
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.pk")));
    AEPeakData none(nullptr);
    EXPECT_FALSE(none.build());

    // A recording whose peak file cannot be written reports it.
    AudioFile nowhere(dir.file("no folder/take.wav"));
    AEPeakData recorded(&nowhere);
    const std::vector<int16_t> silence(2 * 1024, 0);
    ASSERT_TRUE(recorded.beginRecording());
    ASSERT_TRUE(recorded.addFrames(silence.data(), 1024));
    EXPECT_FALSE(recorded.finish());
    EXPECT_FALSE(recorded.isSaved());
    EXPECT_TRUE(recorded.isValid()) << "the peaks stay in memory for the view";
}

TEST_F(PeakDataTest, ARecordingInBuffersEqualsOneBuffer) {
    const auto samples = ProjectTest::testSignal(256 * 100 + 77, 5);
    const auto frames = static_cast<int32_t>(samples.size() / 2);
    AudioFile wholeFile(dir.file("whole.wav"));
    AEPeakData whole(&wholeFile);
    ASSERT_TRUE(whole.beginRecording());
    ASSERT_TRUE(whole.addFrames(samples.data(), frames));

    for (int32_t buffer : {1000, 1, 255, 257, 4096}) {
        AudioFile file(dir.file("parts" + std::to_string(buffer) + ".wav"));
        AEPeakData parts(&file);
        ASSERT_TRUE(parts.beginRecording());
        for (int32_t at = 0; at < frames; at += buffer) {
            ASSERT_TRUE(
                parts.addFrames(samples.data() + int64_t{at} * 2, std::min(buffer, frames - at)));
        }
        EXPECT_EQ(parts.blockCount(), whole.blockCount()) << buffer;
        EXPECT_EQ(blocksOf(parts), blocksOf(whole)) << buffer;
    }
    // Complete blocks but the last are counted; the partial block is never written.
    EXPECT_EQ(whole.blockCount(), 99);
    auto expected = referenceBlocks(samples);
    expected.resize(99 * 4);
    EXPECT_EQ(blocksOf(whole), expected);

    ASSERT_TRUE(whole.finish());
    EXPECT_EQ(std::filesystem::file_size(dir.file("whole.pk")), 99u * 4);
    EXPECT_FALSE(whole.addFrames(samples.data(), 256)) << "the recording has finished";
}

TEST_F(PeakDataTest, TheRecordingBufferGrowsAsFarAsNeeded) {
    // More than 65 536 blocks in one buffer: one enlargement of 262 144 bytes is not enough.
    const int32_t blocks = 2 * 65536 + 300;
    std::vector<int16_t> samples(size_t(blocks) * 512);
    for (int32_t b = 0; b < blocks; ++b) {
        std::fill_n(samples.begin() + int64_t{b} * 512, 512, static_cast<int16_t>((b % 200) * 128));
    }
    AudioFile file(dir.file("long.wav"));
    AEPeakData peaks(&file);
    ASSERT_TRUE(peaks.beginRecording());
    ASSERT_TRUE(peaks.addFrames(samples.data(), 100));
    ASSERT_TRUE(peaks.addFrames(samples.data() + 200, blocks * 256 - 100));
    ASSERT_EQ(peaks.blockCount(), blocks - 1);
    for (int32_t b : {0, 65535, 65536, 131072, blocks - 2}) {
        EXPECT_EQ(peaks.block(b)[1], static_cast<int8_t>((b % 200) / 2)) << b;
    }
}

} // namespace
