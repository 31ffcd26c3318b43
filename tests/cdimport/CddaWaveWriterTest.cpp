// The WAVE file of a copied track: its format and samples, and no file at all unless the
// copy completed it.
#include "CddaWaveWriter.h"

#include "AudioTestSupport.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

std::vector<int16_t> sectorsOfNoise(int32_t sectors, uint32_t seed) {
    std::vector<int16_t> samples(static_cast<size_t>(sectors) * kCddaSamplesPerSector);
    for (auto& sample : samples) {
        seed = seed * 1664525u + 1013904223u;
        sample = static_cast<int16_t>(seed >> 16);
    }
    return samples;
}

TEST(CddaWaveWriter, WritesFortyFourKilohertzSixteenBitStereoInPieces) {
    TestDir dir;
    const std::string path = dir.file("44100-2-16.wav");
    // More sectors than one buffer holds, delivered in uneven pieces.
    const int32_t sectors = CddaWaveWriter::kBufferSectors * 2 + 7;
    const auto samples = sectorsOfNoise(sectors, 3);
    CddaWaveWriter writer;
    ASSERT_EQ(writer.init(path), kCddaOk);
    EXPECT_FALSE(fs::exists(path)) << "only a completed file has its name";
    int32_t at = 0;
    for (int32_t piece : {1, 50, 70, sectors - 121}) {
        ASSERT_EQ(writer.writeSectors(
                      samples.data() + static_cast<size_t>(at) * kCddaSamplesPerSector, piece),
                  kCddaOk);
        at += piece;
    }
    ASSERT_EQ(at, sectors);
    ASSERT_EQ(writer.done(), kCddaOk);
    EXPECT_EQ(AudioTest::readStereo16(path), samples) << "44.1 kHz 16-bit stereo";
    EXPECT_EQ(fs::file_size(path), 44u + static_cast<uintmax_t>(sectors) * kCddaSectorBytes);
    EXPECT_EQ(writer.writeSectors(samples.data(), 1), kCddaNotInitialised)
        << "a completed file takes no more audio";
}

TEST(CddaWaveWriter, AnUnfinishedOrUnwritableFileLeavesNothingAndAnOlderOneKept) {
    TestDir dir;
    const std::string path = dir.file("song_2.wav");
    std::ofstream(path) << "an older copy";
    {
        CddaWaveWriter writer;
        ASSERT_EQ(writer.init(path), kCddaOk);
        const auto samples = sectorsOfNoise(100, 5);
        ASSERT_EQ(writer.writeSectors(samples.data(), 100), kCddaOk);
    }
    EXPECT_EQ(fs::file_size(path), 13u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "no temporary file is left";

    // A folder that does not exist cannot be written to.
    CddaWaveWriter writer;
    EXPECT_EQ(writer.init(dir.file("none/song_1.wav")), kCddaCreateFailed);
    const auto samples = sectorsOfNoise(1, 1);
    EXPECT_EQ(writer.writeSectors(samples.data(), 1), kCddaCreateFailed);
    EXPECT_EQ(writer.done(), kCddaCreateFailed);
    EXPECT_EQ(CddaWaveWriter().done(), kCddaNotInitialised);
}

} // namespace
