// AudioConverter and ASampleRateConverter: every stage, their order, the state kept
// across calls, and rate conversion of whole files read in blocks.
#include "AudioConverter.h"
#include "ASampleRateConverter.h"
#include "AudioFile.h"
#include "AudioTestSupport.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace AudioTest;

namespace {

AudioFormat format(float rate, int16_t bits, int32_t type, int16_t channels, int32_t flags = 0) {
    return AudioFormat{rate, bits,  static_cast<int16_t>((bits / 8) * channels),
                       type, flags, channels};
}

const AudioFormat kStereo16 = format(44100.0f, 16, kSampleSigned, 2);
const AudioFormat kMono16 = format(44100.0f, 16, kSampleSigned, 1);

TEST(AudioConverterTest, StereoToMonoAveragesTowardZero) {
    AudioConverter converter;
    converter.setSourceFormat(kStereo16, 0);
    converter.setDestinationFormat(kMono16, 0);
    const int16_t in[] = {-3, 0, 3, 0, 32767, 32767, -32768, -32768, 100, -101};
    int16_t out[5] = {};
    ASSERT_EQ(converter.convert(out, 5, in, 5), 5);
    EXPECT_EQ(std::vector<int16_t>(out, out + 5), (std::vector<int16_t>{-1, 1, 32767, -32768, 0}));
}

TEST(AudioConverterTest, ThreeChannelFileReadAsStereoFails) {
    TestDir tmp;
    std::string path = tmp.file("44100-3-16.wav");
    writeBytes(path, pcmWave(3, 44100, 16, asBytes(noise16(3 * 10, 50))));
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    file.setClientChannels(2);
    int16_t out[20];
    EXPECT_EQ(file.read(10, out), -1);
    EXPECT_EQ(file.position(), 0);
}

TEST(AudioConverterTest, SampleTypeTable) {
    AudioConverter converter;
    converter.setSourceFormat(kMono16, 0);
    converter.setDestinationFormat(format(44100.0f, 8, kSampleUnsigned, 1), 0);
    const int16_t in16[] = {-32768, -1, 0, 255, 32767};
    uint8_t out8[5];
    ASSERT_TRUE(converter.convert(out8, in16, 5));
    EXPECT_EQ(std::vector<uint8_t>(out8, out8 + 5), (std::vector<uint8_t>{0, 127, 128, 128, 255}));

    converter.setDestinationFormat(format(44100.0f, 32, kSampleFloat, 1), 0);
    float outFloat[5];
    ASSERT_TRUE(converter.convert(outFloat, in16, 5));
    EXPECT_FLOAT_EQ(outFloat[0], -32768.0f / 32767.0f);
    EXPECT_FLOAT_EQ(outFloat[4], 1.0f);
    EXPECT_FLOAT_EQ(outFloat[3], 255.0f / 32767.0f);

    converter.setSourceFormat(format(44100.0f, 32, kSampleFloat, 1), 0);
    converter.setDestinationFormat(kMono16, 0);
    const float inFloat[] = {0.99999f, -0.99999f, 0.25f, NAN, -1.0f};
    int16_t out16[5];
    ASSERT_TRUE(converter.convert(out16, inFloat, 5));
    EXPECT_EQ(std::vector<int16_t>(out16, out16 + 5),
              (std::vector<int16_t>{32766, -32766, 8191, 0, -32767}));

    converter.setSourceFormat(format(44100.0f, 8, kSampleUnsigned, 1), 0);
    converter.setDestinationFormat(format(44100.0f, 32, kSampleFloat, 1), 0);
    const uint8_t in8[] = {0, 255, 128, 64};
    ASSERT_TRUE(converter.convert(outFloat, in8, 2));
    EXPECT_FLOAT_EQ(outFloat[0], -1.0f);
    EXPECT_FLOAT_EQ(outFloat[1], 1.0f);
    // To 16 bits, and mono to both sides of stereo.
    converter.setDestinationFormat(kStereo16, 0);
    int16_t outStereo[8] = {};
    ASSERT_TRUE(converter.convert(outStereo, in8, 4));
    EXPECT_EQ(std::vector<int16_t>(outStereo, outStereo + 8),
              (std::vector<int16_t>{-32768, -32768, 32512, 32512, 0, 0, -16384, -16384}));
}

TEST(AudioConverterTest, FloatOversSaturateAtEightAndSixteenBits) {
    AudioConverter converter;
    converter.setSourceFormat(format(44100.0f, 32, kSampleFloat, 1), 0);
    const float in[] = {3.0f, -3.0f, 1.0001f, -1.0001f, INFINITY, -INFINITY};
    converter.setDestinationFormat(kMono16, 0);
    int16_t out16[6];
    ASSERT_TRUE(converter.convert(out16, in, 6));
    EXPECT_EQ(std::vector<int16_t>(out16, out16 + 6),
              (std::vector<int16_t>{32767, -32768, 32767, -32768, 32767, -32768}));
    converter.setDestinationFormat(format(44100.0f, 8, kSampleUnsigned, 1), 0);
    uint8_t out8[6];
    ASSERT_TRUE(converter.convert(out8, in, 6));
    EXPECT_EQ(std::vector<uint8_t>(out8, out8 + 6), (std::vector<uint8_t>{255, 0, 255, 0, 255, 0}));
}

TEST(AudioConverterTest, TwentyFourBitBecomesSixteenBitFloatAndMono) {
    AudioConverter converter;
    converter.setSourceFormat(format(44100.0f, 24, kSampleSigned, 2), 0);
    converter.setDestinationFormat(kStereo16, 0);
    // 0x7FFFFF, -0x800000, 0x012345, -1 (least significant byte first).
    const uint8_t in[] = {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80, 0x45, 0x23, 0x01, 0xFF, 0xFF, 0xFF};
    int16_t out[4];
    ASSERT_TRUE(converter.convert(out, in, 2));
    EXPECT_EQ(std::vector<int16_t>(out, out + 4),
              (std::vector<int16_t>{32767, -32768, 0x0123, -1}));
    converter.setDestinationFormat(format(44100.0f, 32, kSampleFloat, 2), 0);
    float floats[4];
    ASSERT_TRUE(converter.convert(floats, in, 2));
    EXPECT_FLOAT_EQ(floats[0], 1.0f);
    EXPECT_FLOAT_EQ(floats[2], 0x012345 / 8388607.0f);
    converter.setDestinationFormat(format(44100.0f, 24, kSampleSigned, 1), 0);
    uint8_t mono[6];
    ASSERT_TRUE(converter.convert(mono, in, 2));
    // (0x7FFFFF - 0x800000) / 2 = 0 and (0x012345 - 1) / 2 = 0x0091A2.
    EXPECT_EQ(std::vector<uint8_t>(mono, mono + 6),
              (std::vector<uint8_t>{0x00, 0x00, 0x00, 0xA2, 0x91, 0x00}));
    // A 16-bit source written as 24 bits fills the low byte with zeros.
    converter.setSourceFormat(kMono16, 0);
    const int16_t sixteen[] = {-2, 0x1234};
    ASSERT_TRUE(converter.convert(mono, sixteen, 2));
    EXPECT_EQ(std::vector<uint8_t>(mono, mono + 6),
              (std::vector<uint8_t>{0x00, 0xFE, 0xFF, 0x00, 0x34, 0x12}));
}

TEST(AudioConverterTest, UnsupportedDepthFails) {
    AudioConverter converter;
    converter.setSourceFormat(format(44100.0f, 32, kSampleSigned, 2), 0);
    converter.setDestinationFormat(kStereo16, 0);
    uint8_t in[16] = {};
    int16_t out[4];
    EXPECT_FALSE(converter.convert(out, in, 2));
    // The rate converter takes no 24-bit samples.
    converter.setSourceFormat(format(48000.0f, 24, kSampleSigned, 2), 0);
    EXPECT_EQ(converter.convert(out, 2, in, 2), -1);
    // Same depth both sides: passed through, swapped when asked.
    converter.setSourceFormat(format(44100.0f, 24, kSampleSigned, 1), 1);
    converter.setDestinationFormat(format(44100.0f, 24, kSampleSigned, 1), 0);
    uint8_t in24[] = {1, 2, 3, 4, 5, 6};
    uint8_t out24[6];
    ASSERT_TRUE(converter.convert(out24, in24, 2));
    EXPECT_EQ(std::vector<uint8_t>(out24, out24 + 6), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST(AudioConverterTest, SwapStagesReverseTheBytesOfEachSample) {
    AudioConverter converter;
    converter.setSourceFormat(kStereo16, 1);
    converter.setDestinationFormat(kStereo16, 0);
    const int16_t in[] = {0x0102, 0x0304};
    int16_t out[2];
    ASSERT_TRUE(converter.convert(out, in, 1));
    EXPECT_EQ(out[0], 0x0201);
    EXPECT_EQ(out[1], 0x0403);
    EXPECT_EQ(in[0], 0x0102); // the source is left alone
    // Destination swap after a channel stage.
    converter.setSourceFormat(kMono16, 0);
    converter.setDestinationFormat(kStereo16, 1);
    const int16_t mono[] = {0x0A0B};
    ASSERT_TRUE(converter.convert(out, mono, 1));
    EXPECT_EQ(out[0], 0x0B0A);
    EXPECT_EQ(out[1], 0x0B0A);
}

TEST(AudioConverterTest, PlanarLayoutIsInterleavedAndBack) {
    AudioConverter converter;
    converter.setSourceFormat(format(44100.0f, 16, kSampleSigned, 2, kFormatPlanar), 0);
    converter.setDestinationFormat(format(44100.0f, 8, kSampleUnsigned, 2), 0);
    const int16_t planar[] = {-32768, 0, 32767, 256, 512, 768}; // L L L R R R
    uint8_t out[6];
    ASSERT_TRUE(converter.convert(out, planar, 3));
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6),
              (std::vector<uint8_t>{0, 129, 128, 130, 255, 131}));

    converter.setSourceFormat(kStereo16, 0);
    converter.setDestinationFormat(format(22050.0f, 16, kSampleSigned, 2, kFormatPlanar), 0);
    const int16_t interleaved[] = {1, 10, 2, 20, 3, 30, 4, 40};
    int16_t half[4] = {};
    ASSERT_EQ(converter.convert(half, 2, interleaved, 4), 2);
    EXPECT_EQ(std::vector<int16_t>(half, half + 4), (std::vector<int16_t>{1, 3, 10, 30}));

    // Same layout, rate and channels: passed through as it is.
    converter.setSourceFormat(format(44100.0f, 16, kSampleSigned, 2, kFormatPlanar), 0);
    converter.setDestinationFormat(format(44100.0f, 16, kSampleSigned, 2, kFormatPlanar), 0);
    int16_t same[4];
    ASSERT_TRUE(converter.convert(same, interleaved, 2));
    EXPECT_EQ(std::vector<int16_t>(same, same + 4), (std::vector<int16_t>{1, 10, 2, 20}));
}

TEST(SampleRateConverterTest, RatioAndInvalidPairs) {
    EXPECT_NEAR(ASampleRateConverter(2, 48000.0, 44100.0).ratio(), 1.0884353741, 1e-9);
    EXPECT_DOUBLE_EQ(ASampleRateConverter(2, 22050.0, 44100.0).ratio(), 0.5);
    EXPECT_EQ(ASampleRateConverter(2, 0.0, 44100.0).ratio(), 0.0);
    EXPECT_EQ(ASampleRateConverter(2, 441000.0 * 100, 44100.0).ratio(), 0.0);
    EXPECT_EQ(ASampleRateConverter(0, 22050.0, 44100.0).ratio(), 0.0);
    int16_t in[6] = {1, 2, 3, 4, 5, 6};
    int16_t out[64];
    ASSERT_GT(ASampleRateConverter(2, 22050.0, 44100.0).process(out, in, 3, 2), 0);
    EXPECT_EQ(ASampleRateConverter(2, 0.0, 44100.0).process(out, in, 3, 2), 0);
    EXPECT_EQ(ASampleRateConverter(3, 22050.0, 44100.0).process(out, in, 2, 3), 0);
    EXPECT_EQ(ASampleRateConverter(1, 22050.0, 44100.0).process(out, in, 3, 2), 0);
}

TEST(SampleRateConverterTest, DoublingInterpolatesBetweenFrames) {
    ASampleRateConverter rate(1, 22050.0, 44100.0);
    const int16_t in[] = {0, 100, 200, 300};
    int16_t out[16];
    int32_t produced = rate.process(out, in, 4, 1);
    ASSERT_EQ(produced, 7);
    EXPECT_EQ(std::vector<int16_t>(out, out + 7),
              (std::vector<int16_t>{0, 50, 100, 150, 200, 250, 300}));
    // The next call continues between the last frame and its own first one.
    const int16_t more[] = {400};
    ASSERT_EQ(rate.process(out, more, 1, 1), 2);
    EXPECT_EQ(out[0], 350);
    EXPECT_EQ(out[1], 400);
}

// A stream converted in blocks must equal the stream converted at once.
class BlockIndependenceTest : public ::testing::TestWithParam<std::tuple<double, int>> {};

TEST_P(BlockIndependenceTest, ResultDoesNotDependOnTheBlockSize) {
    const double sourceRate = std::get<0>(GetParam());
    const int block = std::get<1>(GetParam());
    const int32_t frames = 5000;
    auto in = noise16(2 * frames, 60);
    ASampleRateConverter whole(2, sourceRate, 44100.0);
    const auto most = static_cast<size_t>(whole.outputFramesFor(frames));
    std::vector<int16_t> expected(2 * most);
    int32_t total = whole.process(expected.data(), in.data(), frames, 2);
    expected.resize(2 * static_cast<size_t>(total));

    ASampleRateConverter blocks(2, sourceRate, 44100.0);
    std::vector<int16_t> got;
    std::vector<int16_t> out(2 * most);
    for (int32_t start = 0; start < frames; start += block) {
        int32_t n = std::min(block, frames - start);
        int32_t produced = blocks.process(out.data(), in.data() + 2 * start, n, 2);
        ASSERT_EQ(blocks.consumed(), n);
        got.insert(got.end(), out.begin(), out.begin() + 2 * produced);
    }
    EXPECT_EQ(got, expected);
}

TEST_P(BlockIndependenceTest, OutputLimitedCallsHandBackTheUnusedInput) {
    const double sourceRate = std::get<0>(GetParam());
    const int block = std::get<1>(GetParam());
    const int32_t frames = 5000;
    auto in = noise16(frames, 61);
    ASampleRateConverter whole(1, sourceRate, 44100.0);
    std::vector<int16_t> expected(static_cast<size_t>(whole.outputFramesFor(frames)));
    expected.resize(static_cast<size_t>(whole.process(expected.data(), in.data(), frames, 1)));

    ASampleRateConverter limited(1, sourceRate, 44100.0);
    std::vector<int16_t> got;
    std::vector<int16_t> out(static_cast<size_t>(block));
    int32_t start = 0;
    while (start < frames) {
        int32_t n = std::min<int32_t>(static_cast<int32_t>(limited.inputFramesFor(block)) + 1,
                                      frames - start);
        int32_t produced = limited.process(out.data(), in.data() + start, n, 1, block);
        start += limited.consumed();
        got.insert(got.end(), out.begin(), out.begin() + produced);
        if (produced == 0) {
            break;
        }
    }
    EXPECT_EQ(got, expected);
}

INSTANTIATE_TEST_SUITE_P(RatesAndBlocks, BlockIndependenceTest,
                         ::testing::Combine(::testing::Values(22050.0, 32000.0, 44100.0 * 2.5,
                                                              48000.0, 8000.0),
                                            ::testing::Values(1, 7, 256, 4096)));

// A sine file read at another rate in blocks: the right number of frames, the same
// frequency, and no step at any block boundary.
class RateReadTest : public ::testing::TestWithParam<std::tuple<float, int32_t>> {};

TEST_P(RateReadTest, SineStaysASineAtTheClientRate) {
    const float fileRate = std::get<0>(GetParam());
    const int32_t block = std::get<1>(GetParam());
    const double frequency = 1000.0;
    const double amplitude = 16000.0;
    const int64_t fileFrames = static_cast<int64_t>(fileRate) * 2 + 123;
    TestDir tmp;
    std::string path = tmp.file(std::to_string(static_cast<int>(fileRate)) + "-2-16-sine.wav");
    ASSERT_TRUE(
        writeSystemFile(path, sine16(fileFrames, 2, frequency, fileRate, amplitude), 2, fileRate));
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    file.setClientSampleRate(44100.0f);
    auto out = asSamples(readToEnd(file, block));
    const int64_t got = static_cast<int64_t>(out.size() / 2);
    EXPECT_NEAR(static_cast<double>(got), file.clientFrames(), 1.0);
    // Linear interpolation of a 1 kHz sine stays within 1.5 % of the ideal curve (which a
    // frequency off by a thousandth would leave within the first second).
    double worst = 0.0;
    for (int64_t i = 0; i < got; ++i) {
        double ideal =
            amplitude * std::sin(2.0 * M_PI * frequency * static_cast<double>(i) / 44100.0);
        worst = std::max({worst, std::fabs(out[2 * i] - ideal), std::fabs(out[2 * i + 1] - ideal)});
    }
    EXPECT_LT(worst, amplitude * 0.015);
}

INSTANTIATE_TEST_SUITE_P(Rates, RateReadTest,
                         ::testing::Combine(::testing::Values(22050.0f, 48000.0f),
                                            ::testing::Values(4096, 1000)));

TEST(RateReadTest, BlockSizeDoesNotChangeWhatIsRead) {
    TestDir tmp;
    std::string path = tmp.file("48000-2-16-noise.wav");
    ASSERT_TRUE(writeSystemFile(path, noise16(2 * 20000, 62), 2, 48000.0f));
    Bytes reference;
    for (int32_t block : {4096, 333, 1}) {
        AudioFile file(path);
        ASSERT_TRUE(file.open(FAccessMode::kRead));
        file.setClientSampleRate(44100.0f);
        Bytes got = readToEnd(file, block);
        if (reference.empty()) {
            reference = got;
        } else {
            EXPECT_EQ(got, reference) << block;
        }
    }
    EXPECT_GT(reference.size(), 0u);
}

TEST(RateWriteTest, WritingAtAHigherClientRateHalvesTheFrames) {
    TestDir tmp;
    std::string path = tmp.file("22050-2-16-written.wav");
    const int32_t frames = 44100;
    auto sine = sine16(frames, 2, 500.0, 44100.0, 12000.0);
    {
        AudioFile file(path);
        ASSERT_TRUE(file.create());
        file.setSampleRate(22050.0f);
        file.setChannels(2);
        file.setClientFormat(file.fileFormat());
        file.setClientSampleRate(44100.0f);
        for (int32_t start = 0; start < frames; start += 4096) {
            int32_t n = std::min(4096, frames - start);
            ASSERT_EQ(file.write(n, sine.data() + 2 * start), n);
        }
        ASSERT_TRUE(file.close());
    }
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_NEAR(file.frames(), frames / 2, 1);
    auto written = asSamples(readToEnd(file));
    for (size_t i = 0; i < written.size() / 2; ++i) {
        ASSERT_EQ(written[2 * i], sine[4 * i]) << i; // every second frame, exactly
    }
}

} // namespace
