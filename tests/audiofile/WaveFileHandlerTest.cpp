// The WAVE handler: headers written and updated, chunk walks, the format probe, and
// damaged or hostile files.
#include "WaveFileHandler.h"
#include "AudioFile.h"
#include "AudioTestSupport.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace AudioTest;

namespace {

class WaveFileTest : public ::testing::Test {
protected:
    TestDir tmp;
};

class WrittenLengthTest : public ::testing::TestWithParam<int32_t> {
protected:
    TestDir tmp;
};

TEST_P(WrittenLengthTest, ClosedFileHoldsTheLengthsOfItsFrames) {
    const int32_t n = GetParam();
    std::string path = tmp.file("44100-2-16-" + std::to_string(n) + ".wav");
    auto data = noise16(2 * static_cast<int64_t>(n), static_cast<uint32_t>(n));
    ASSERT_TRUE(writeSystemFile(path, data, 2));
    Bytes bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), 44u + 4u * static_cast<uint32_t>(n));
    EXPECT_EQ(le32(bytes, 4), 36u + 4u * static_cast<uint32_t>(n));
    EXPECT_EQ(le32(bytes, 40), 4u * static_cast<uint32_t>(n));
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.frames(), n);
    EXPECT_EQ(file.dataOffset(), 44u);
    EXPECT_EQ(asSamples(readToEnd(file)), data);
}

INSTANTIATE_TEST_SUITE_P(Frames, WrittenLengthTest, ::testing::Values(1, 1000, 4097, 44100));

TEST_F(WaveFileTest, CreatedFileNeverWrittenKeepsTheCreationHeader) {
    std::string path = tmp.file("created.wav");
    {
        AudioFile file(path);
        ASSERT_TRUE(file.create());
        ASSERT_TRUE(file.close());
    }
    // Mono 16-bit 44.1 kHz with no data, the RIFF size counting the whole header.
    Bytes expected = pcmWave(1, 44100, 16, {});
    putLe32(expected, 4, 44);
    EXPECT_EQ(readBytes(path), expected);
}

TEST_F(WaveFileTest, CreateThenSetFormatRewritesTheFormatChunkOnClose) {
    std::string path = tmp.file("44100-2-16-recording.wav");
    AudioFile file(path);
    ASSERT_TRUE(file.create());
    file.setSampleRate(44100.0f);
    file.setBits(16);
    file.setChannels(2);
    file.setClientFormat(file.fileFormat());
    EXPECT_EQ(le16(readBytes(path), 22), 1); // still the default on disk
    ASSERT_TRUE(file.close());
    EXPECT_EQ(readBytes(path), pcmWave(2, 44100, 16, {}));
}

TEST_F(WaveFileTest, OtherChunksAreWalkedOverWithOrWithoutTheirPadByte) {
    const auto data = noise16(2 * 100, 21);
    const Chunk fmt{"fmt ", fmtBody(1, 2, 44100, 4, 16)};
    const Chunk samples{"data", asBytes(data)};
    const Chunk list{"LIST", Bytes(26, 0x33)};
    const struct {
        const char* name;
        std::vector<Chunk> chunks;
        uint32_t dataOffset;
    } rows[] = {
        {"list-before-fmt.wav", {list, fmt, samples}, 12 + 34 + 24 + 8},
        {"list-between.wav", {fmt, list, samples}, 12 + 24 + 34 + 8},
        {"odd-unpadded.wav", {fmt, {"note", Bytes(7, 'x')}, samples}, 12 + 24 + 15 + 8},
        {"odd-padded.wav", {fmt, {"note", Bytes(7, 'x'), -1, true}, samples}, 12 + 24 + 16 + 8}};
    for (const auto& row : rows) {
        const std::string path = tmp.file(row.name);
        writeBytes(path, riffImage(row.chunks));
        AudioFile file(path);
        ASSERT_TRUE(file.open(FAccessMode::kRead)) << row.name;
        EXPECT_EQ(file.frames(), 100) << row.name;
        EXPECT_EQ(file.dataOffset(), row.dataOffset) << row.name;
        EXPECT_EQ(asSamples(readToEnd(file)), data) << row.name;
        // The format probe knows a format chunk only where it comes first.
        WavePcmFormat record;
        WaveFileHandler::probeWaveFormat(path, record);
        EXPECT_EQ(WaveFileHandler::isCdStereoFormat(record), row.chunks[0].id == "fmt ")
            << row.name;
    }
}

TEST_F(WaveFileTest, DataBeforeFormatCountsFramesOnceBothAreKnown) {
    auto data = noise16(2 * 50, 23);
    std::string path = tmp.file("data-first.wav");
    writeBytes(path, riffImage({{"data", asBytes(data)}, {"fmt ", fmtBody(1, 2, 44100, 4, 16)}}));
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.frames(), 50);
    EXPECT_EQ(file.dataOffset(), 20u);
    EXPECT_EQ(file.position(), 0);
    EXPECT_EQ(asSamples(readToEnd(file)), data);
}

TEST_F(WaveFileTest, UpdateKeepsAChunkBetweenFormatAndData) {
    std::string path = tmp.file("list-update.wav");
    writeBytes(path, riffImage({{"fmt ", fmtBody(1, 2, 44100, 4, 16)},
                                {"LIST", Bytes(12, 0x44)},
                                {"data", asBytes(noise16(2 * 10, 24))}}));
    auto more = noise16(2 * 5, 25);
    {
        AudioFile file(path);
        ASSERT_TRUE(file.open(FAccessMode::kReadWrite));
        ASSERT_EQ(file.seek(10), 10);
        ASSERT_EQ(file.write(5, more.data()), 5);
        ASSERT_TRUE(file.close());
    }
    Bytes bytes = readBytes(path);
    EXPECT_EQ(std::memcmp(bytes.data() + 36, "LIST", 4), 0);
    EXPECT_EQ(le32(bytes, 40), 12u);
    EXPECT_EQ(le32(bytes, 60), 60u);             // data size
    EXPECT_EQ(le32(bytes, 4), bytes.size() - 8); // RIFF size
    AudioFile again(path);
    EXPECT_EQ(again.frames(), 15);
}

TEST_F(WaveFileTest, EightBitFileIsUnsignedAndWrittenFromSixteenBits) {
    std::string path = tmp.file("44100-1-8-written.wav");
    {
        AudioFile file(path);
        ASSERT_TRUE(file.create());
        file.setBits(8);
        file.setSampleType(kSampleUnsigned);
        file.setClientFormat(file.fileFormat());
        file.setClientBits(16);
        file.setClientSampleType(kSampleSigned);
        std::vector<int16_t> in = {-32768, 32767, 0, 256};
        ASSERT_EQ(file.write(4, in.data()), 4);
        ASSERT_TRUE(file.close());
    }
    EXPECT_EQ(readBytes(path), pcmWave(1, 44100, 8, Bytes{0, 255, 128, 129}));
    // Known as unsigned when read (the conversion: AudioConverterTest).
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.sampleType(), kSampleUnsigned);
    EXPECT_EQ(file.bytesPerFrame(), 1);
}

TEST_F(WaveFileTest, TwentyFourBitFileHasThreeBytesPerSample) {
    Bytes data;
    for (int i = 0; i < 2 * 20 * 3; ++i) {
        data.push_back(static_cast<uint8_t>(i * 7));
    }
    std::string path = tmp.file("44100-2-24.wav");
    writeBytes(path, pcmWave(2, 44100, 24, data));
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.bytesPerFrame(), 6);
    EXPECT_EQ(file.frames(), 20);
    EXPECT_EQ(readToEnd(file, 7), data); // 24 to 16 bits: AudioConverterTest
}

TEST_F(WaveFileTest, FloatFileWithOversSaturatesInsteadOfWrapping) {
    const float values[] = {0.5f, 1.5f, -2.0f, -1.0f, 1.0f, 0.0f};
    ByteWriter data(false);
    data.raw(values, sizeof values);
    std::string path = tmp.file("44100-1-32f.wav");
    writeBytes(path, riffImage({{"fmt ", fmtBody(3, 1, 44100, 4, 32)}, {"data", data.bytes()}}));
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.sampleType(), kSampleFloat);
    file.setClientBits(16);
    file.setClientSampleType(kSampleSigned);
    std::vector<int16_t> out(6);
    ASSERT_EQ(file.read(6, out.data()), 6);
    EXPECT_EQ(out, (std::vector<int16_t>{16383, 32767, -32768, -32767, 32767, 0}));
}

TEST_F(WaveFileTest, ProbeFillsTheRecordForImportableFiles) {
    std::string stereo = tmp.file("44100-2-16-probe.wav");
    std::string mono = tmp.file("44100-1-16-probe.wav");
    std::string fast = tmp.file("48000-2-16-probe.wav");
    std::string eight = tmp.file("44100-2-8-probe.wav");
    ASSERT_TRUE(writeSystemFile(stereo, noise16(20, 26), 2));
    ASSERT_TRUE(writeSystemFile(mono, noise16(10, 27), 1));
    ASSERT_TRUE(writeSystemFile(fast, noise16(20, 28), 2, 48000.0f));
    writeBytes(eight, pcmWave(2, 44100, 8, Bytes(20, 128)));
    WavePcmFormat record;
    WaveFileHandler::probeWaveFormat(stereo, record); // every field, through the check
    EXPECT_TRUE(WaveFileHandler::isCdStereoFormat(record));
    EXPECT_FALSE(WaveFileHandler::isCdMonoFormat(record));
    WaveFileHandler::probeWaveFormat(mono, record);
    EXPECT_TRUE(WaveFileHandler::isCdMonoFormat(record));
    EXPECT_FALSE(WaveFileHandler::isCdStereoFormat(record));
    for (const auto& path : {fast, eight}) {
        WaveFileHandler::probeWaveFormat(path, record);
        EXPECT_NE(record.sampleRate, 0u);
        EXPECT_FALSE(WaveFileHandler::isCdStereoFormat(record)) << path;
        EXPECT_FALSE(WaveFileHandler::isCdMonoFormat(record)) << path;
    }
}

TEST_F(WaveFileTest, ProbeLeavesTheRecordZeroForFilesItCannotUse) {
    std::string shortFile = tmp.file("short.wav");
    writeBytes(shortFile,
               Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    std::string notWave = tmp.file("not-wave.wav");
    writeBytes(notWave, Bytes(100, 'R'));
    for (const auto& path : {shortFile, notWave, tmp.file("missing.wav"), tmp.path()}) {
        WavePcmFormat record;
        record.channels = 9;
        WaveFileHandler::probeWaveFormat(path, record);
        EXPECT_EQ(record.formatTag, 0) << path;
        EXPECT_EQ(record.channels, 0) << path;
        EXPECT_EQ(record.sampleRate, 0u) << path;
        EXPECT_FALSE(WaveFileHandler::isCdStereoFormat(record));
    }
}

// Hand-made damaged files: every one must fail the open cleanly.
Bytes goodData() {
    return asBytes(noise16(2 * 8, 30));
}

std::vector<NamedImage> badWaves() {
    Bytes good = pcmWave(2, 44100, 16, goodData());
    Bytes notRiff = good;
    std::memcpy(notRiff.data(), "RIFX", 4);
    Bytes notWave = good;
    std::memcpy(notWave.data() + 8, "AVI ", 4);
    Bytes offsetOverflow = riffImage({{"fmt ", fmtBody(1, 2, 44100, 4, 16)},
                                      {"junk", Bytes(4, 0), 0xFFFFFFF0},
                                      {"data", goodData()}});
    return {
        {"no_data_chunk", riffImage({{"fmt ", fmtBody(1, 2, 44100, 4, 16)}})},
        {"no_fmt_chunk", riffImage({{"data", goodData()}})},
        {"first_chunk_not_riff", notRiff},
        {"form_not_wave", notWave},
        {"block_align_0", riffImage({{"fmt ", fmtBody(1, 2, 44100, 0, 16)}, {"data", goodData()}})},
        {"channels_0", riffImage({{"fmt ", fmtBody(1, 0, 44100, 4, 16)}, {"data", goodData()}})},
        {"rate_0", riffImage({{"fmt ", fmtBody(1, 2, 0, 4, 16)}, {"data", goodData()}})},
        {"bits_0", riffImage({{"fmt ", fmtBody(1, 2, 44100, 4, 0)}, {"data", goodData()}})},
        {"fmt_too_short", riffImage({{"fmt ", Bytes(10, 1)}, {"data", goodData()}})},
        {"data_past_end_before_fmt",
         riffImage({{"data", goodData(), 1000}, {"fmt ", fmtBody(1, 2, 44100, 4, 16)}})},
        {"fmt_size_ffffffff",
         riffImage({{"data", goodData()}, {"fmt ", fmtBody(1, 2, 44100, 4, 16), 0xFFFFFFFF}})},
        {"chunk_size_ffffffff", riffImage({{"fmt ", fmtBody(1, 2, 44100, 4, 16)},
                                           {"LIST", Bytes(8, 0), 0xFFFFFFFF},
                                           {"data", goodData()}})},
        {"offset_overflow", offsetOverflow},
        {"repeated_fmt", riffImage({{"fmt ", fmtBody(1, 2, 44100, 4, 16)},
                                    {"fmt ", fmtBody(1, 2, 44100, 4, 16)},
                                    {"data", goodData()}})},
        {"only_riff", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        {"one_byte", Bytes{'R'}},
    };
}

class BadWaveTest : public ::testing::TestWithParam<NamedImage> {
protected:
    TestDir tmp;
};

TEST_P(BadWaveTest, OpenFailsAndLeavesNoHandler) {
    std::string path = tmp.file(std::string(GetParam().name) + ".wav");
    writeBytes(path, GetParam().image);
    AudioFile file(path);
    EXPECT_FALSE(file.open(FAccessMode::kRead));
    EXPECT_FALSE(file.open(FAccessMode::kReadWrite));
    EXPECT_FALSE(file.isOpen());
    int16_t frame[2];
    EXPECT_EQ(file.read(1, frame), -1);
}

INSTANTIATE_TEST_SUITE_P(Damaged, BadWaveTest, ::testing::ValuesIn(badWaves()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WaveFileTest, FileCutInTheHeaderFailsAndInTheDataOpensWithTheWholeFramesPresent) {
    const Bytes data = goodData();
    const Bytes good = pcmWave(2, 44100, 16, data);
    std::string path = tmp.file("truncated.wav");
    for (size_t length = 0; length <= good.size(); ++length) {
        writeBytes(path, Bytes(good.begin(), good.begin() + static_cast<int64_t>(length)));
        AudioFile file(path);
        if (length < 44) {
            EXPECT_FALSE(file.open(FAccessMode::kRead)) << length;
            continue;
        }
        const auto frames = static_cast<int32_t>((length - 44) / 4);
        ASSERT_TRUE(file.open(FAccessMode::kRead)) << length;
        EXPECT_EQ(file.frames(), frames) << length;
        EXPECT_EQ(file.headerFrames(), 8) << length;
        EXPECT_EQ(file.isTruncated(), frames < 8) << length;
        EXPECT_EQ(readToEnd(file), Bytes(data.begin(), data.begin() + frames * 4)) << length;
    }
}

TEST_F(WaveFileTest, ExtensibleFormatIsReadByItsSubFormat) {
    ByteWriter fmt(false);
    fmt.raw(fmtBody(0xFFFE, 2, 44100, 4, 16)).u16(22).u16(16).u32(3).u16(1).raw(Bytes(14, 0));
    auto data = noise16(2 * 12, 32);
    std::string path = tmp.file("44100-2-16-extensible.wav");
    writeBytes(path, riffImage({{"fmt ", fmt.bytes()}, {"data", asBytes(data)}}));
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.bits(), 16);
    EXPECT_EQ(file.sampleType(), kSampleSigned);
    EXPECT_EQ(asSamples(readToEnd(file)), data);
}

} // namespace
