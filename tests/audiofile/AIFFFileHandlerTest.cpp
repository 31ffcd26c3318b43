// The AIFF and AIFC handler: big-endian headers and samples, the 80-bit sample rate,
// pad bytes, 8-bit signed samples and damaged files.
#include "AudioFile.h"
#include "AudioTestSupport.h"
#include "ExtendedFloat.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace AudioTest;

namespace {

class AiffFileTest : public ::testing::Test {
protected:
    TestDir tmp;
};

TEST(ExtendedFloatTest, KnownRatesHaveTheirStandardBytesAndValuesSurviveTheRoundTrip) {
    uint8_t bytes[10];
    ExtendedFloat::encode(44100.0, bytes);
    const uint8_t expected44100[10] = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes, expected44100, 10), 0);
    ExtendedFloat::encode(48000.0, bytes);
    const uint8_t expected48000[10] = {0x40, 0x0E, 0xBB, 0x80, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes, expected48000, 10), 0);
    EXPECT_EQ(ExtendedFloat::decode(expected44100), 44100.0);
    for (double value :
         {1.0, 0.5, 8000.0, 11025.0, 22050.0, 96000.0, 192000.0, 1234.5678, 1e9, -44100.0}) {
        ExtendedFloat::encode(value, bytes);
        EXPECT_EQ(ExtendedFloat::decode(bytes), value) << value;
    }
}

TEST_F(AiffFileTest, ThousandFramesGiveTheStandardSizes) {
    std::string path = tmp.file("44100-2-16.aif");
    auto data = noise16(2 * 1000, 40);
    ASSERT_TRUE(writeSystemFile(path, data, 2));
    // FORM size 4046, COMM of 18 bytes, SSND of 4008 with offset and block size 0.
    EXPECT_EQ(readBytes(path), formImage("AIFF", {{"COMM", commBody(2, 1000, 16, 44100.0)},
                                                  {"SSND", ssndBody(0, bigEndianBytes(data))}}));
}

TEST_F(AiffFileTest, OddSizedChunkIsSkippedWithItsPadByte) {
    auto data = noise16(2 * 10, 42);
    std::string path = tmp.file("44100-2-16-odd-chunk.aif");
    writeBytes(path, formImage("AIFF", {{"COMM", commBody(2, 10, 16, 44100.0)},
                                        {"NAME", Bytes{'A', 'b', 'c'}, -1, true},
                                        {"SSND", ssndBody(4, bigEndianBytes(data))}}));
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.dataOffset(), 12u + 26 + 12 + 16 + 4);
    EXPECT_EQ(asSamples(readToEnd(file)), data);
}

TEST_F(AiffFileTest, AifcFormTypeOpens) {
    auto data = noise16(2 * 10, 43);
    ByteWriter comm(true);
    comm.raw(commBody(2, 10, 16, 48000.0)).text("NONE").u8(0).u8(0);
    std::string path = tmp.file("48000-2-16.aifc");
    writeBytes(path, formImage("AIFC", {{"FVER", Bytes{0xA2, 0x80, 0x51, 0x40}},
                                        {"COMM", comm.bytes()},
                                        {"SSND", ssndBody(0, bigEndianBytes(data))}}));
    AudioFile file(path);
    ASSERT_EQ(file.kind(), kAudioKindAIFC);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_FLOAT_EQ(file.sampleRate(), 48000.0f);
    EXPECT_EQ(asSamples(readToEnd(file)), data);
}

TEST_F(AiffFileTest, EightBitSamplesAreStoredAndReadAsSignedBytes) {
    std::string path = tmp.file("44100-1-8-written.aif");
    {
        AudioFile file(path);
        ASSERT_TRUE(file.create());
        file.setBits(8);
        file.setClientFormat(file.fileFormat());
        file.setClientBits(16);
        std::vector<int16_t> in = {-32768, 32767, 0, -256, 255};
        ASSERT_EQ(file.write(5, in.data()), 5);
        ASSERT_TRUE(file.close());
    }
    Bytes bytes = readBytes(path);
    ASSERT_GE(bytes.size(), 59u);
    EXPECT_EQ(Bytes(bytes.begin() + 54, bytes.begin() + 59), (Bytes{0x80, 0x7F, 0x00, 0xFF, 0x00}));
    EXPECT_EQ(be16(bytes, 26), 8);
    AudioFile again(path);
    ASSERT_TRUE(again.open(FAccessMode::kRead));
    EXPECT_EQ(again.frames(), 5);
    EXPECT_EQ(again.sampleType(), kSampleSigned);
    again.setClientBits(16);
    std::vector<int16_t> out(5);
    ASSERT_EQ(again.read(5, out.data()), 5);
    EXPECT_EQ(out, (std::vector<int16_t>{-32768, 32512, 0, -256, 0}));
}

TEST_F(AiffFileTest, FramesNeverExceedWhatTheSoundChunkHolds) {
    auto data = noise16(2 * 10, 44);
    std::string path = tmp.file("44100-2-16-overcounted.aif");
    writeBytes(path, formImage("AIFF", {{"COMM", commBody(2, 1000000, 16, 44100.0)},
                                        {"SSND", ssndBody(0, bigEndianBytes(data))},
                                        {"ANNO", Bytes(40, 'z')}}));
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(file.frames(), 10);
    EXPECT_EQ(asSamples(readToEnd(file)), data);
}

std::vector<NamedImage> badAiffs() {
    Bytes samples = bigEndianBytes(noise16(2 * 8, 45));
    Bytes notForm =
        formImage("AIFF", {{"COMM", commBody(2, 8, 16, 44100.0)}, {"SSND", ssndBody(0, samples)}});
    std::memcpy(notForm.data(), "RIFF", 4);
    return {
        {"not_form", notForm},
        {"form_type_wave", formImage("WAVE", {{"COMM", commBody(2, 8, 16, 44100.0)},
                                              {"SSND", ssndBody(0, samples)}})},
        {"no_ssnd", formImage("AIFF", {{"COMM", commBody(2, 8, 16, 44100.0)}})},
        {"no_comm", formImage("AIFF", {{"SSND", ssndBody(0, samples)}})},
        {"comm_too_short",
         formImage("AIFF", {{"COMM", Bytes(10, 0)}, {"SSND", ssndBody(0, samples)}})},
        {"rate_0",
         formImage("AIFF", {{"COMM", commBody(2, 8, 16, 0.0)}, {"SSND", ssndBody(0, samples)}})},
        {"channels_0", formImage("AIFF", {{"COMM", commBody(0, 8, 16, 44100.0)},
                                          {"SSND", ssndBody(0, samples)}})},
        {"bits_0",
         formImage("AIFF", {{"COMM", commBody(2, 8, 0, 44100.0)}, {"SSND", ssndBody(0, samples)}})},
        {"ssnd_offset_past_chunk", formImage("AIFF", {{"COMM", commBody(2, 8, 16, 44100.0)},
                                                      {"SSND", ssndBody(0, samples), 4}})},
        {"ssnd_past_end_before_comm", formImage("AIFF", {{"SSND", ssndBody(0, samples), 0xFFFFFFF0},
                                                         {"COMM", commBody(2, 8, 16, 44100.0)}})},
        {"chunk_size_ffffffff", formImage("AIFF", {{"COMM", commBody(2, 8, 16, 44100.0)},
                                                   {"junk", Bytes(4, 0), 0xFFFFFFFF},
                                                   {"SSND", ssndBody(0, samples)}})},
    };
}

class BadAiffTest : public ::testing::TestWithParam<NamedImage> {
protected:
    TestDir tmp;
};

TEST_P(BadAiffTest, OpenFailsCleanly) {
    std::string path = tmp.file(std::string(GetParam().name) + ".aif");
    writeBytes(path, GetParam().image);
    AudioFile file(path);
    EXPECT_FALSE(file.open(FAccessMode::kRead));
    EXPECT_FALSE(file.hasHandler());
}

INSTANTIATE_TEST_SUITE_P(Damaged, BadAiffTest, ::testing::ValuesIn(badAiffs()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AiffFileTest, InfiniteSampleRateIsRefused) {
    ByteWriter comm(true);
    comm.u16(2).u32(8).u16(16).raw(Bytes{0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0});
    std::string path = tmp.file("infinite-rate.aif");
    writeBytes(path,
               formImage("AIFF", {{"COMM", comm.bytes()}, {"SSND", ssndBody(0, Bytes(32, 0))}}));
    AudioFile file(path);
    EXPECT_FALSE(file.open(FAccessMode::kRead));
}

TEST_F(AiffFileTest, FileCutInTheHeaderFailsAndInTheDataOpensWithTheWholeFramesPresent) {
    const auto samples = noise16(16, 46);
    const Bytes good = formImage("AIFF", {{"COMM", commBody(2, 8, 16, 44100.0)},
                                          {"SSND", ssndBody(0, bigEndianBytes(samples))}});
    std::string path = tmp.file("truncated.aif");
    for (size_t length = 0; length <= good.size(); ++length) {
        writeBytes(path, Bytes(good.begin(), good.begin() + static_cast<int64_t>(length)));
        AudioFile file(path);
        if (length < 54) {
            EXPECT_FALSE(file.open(FAccessMode::kRead)) << length;
            continue;
        }
        const auto frames = static_cast<int32_t>((length - 54) / 4);
        ASSERT_TRUE(file.open(FAccessMode::kRead)) << length;
        EXPECT_EQ(file.frames(), frames) << length;
        EXPECT_EQ(file.headerFrames(), 8) << length;
        EXPECT_EQ(asSamples(readToEnd(file)),
                  std::vector<int16_t>(samples.begin(), samples.begin() + 2 * frames))
            << length;
    }
}

} // namespace
