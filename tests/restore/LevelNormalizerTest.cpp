#include "LevelNormalizer.h"
#include "NormalizerProcessor.h"
#include "SignalTestSupport.h"

using namespace signal_test;

namespace {

// Interleaved frames: left and right sines of the given peak sample values.
std::vector<int16_t> twoSines(int32_t count, int16_t leftPeak, int16_t rightPeak) {
    return frames(
        count,
        [=](int32_t i) {
            return std::lround(leftPeak * std::sin(2 * std::numbers::pi * i / 100.0));
        },
        [=](int32_t i) {
            return std::lround(rightPeak * std::cos(2 * std::numbers::pi * i / 100.0));
        });
}

int16_t peakOf(const std::vector<int16_t>& data, int32_t channel) {
    int32_t peak = 0;
    for (size_t i = channel; i < data.size(); i += 2) {
        peak = std::max(peak, std::abs(static_cast<int32_t>(data[i])));
    }
    return static_cast<int16_t>(peak);
}

} // namespace

TEST(LevelNormalizer, LouderChannelDecidesTheCommonGain) {
    LevelNormalizer normalizer;
    StereoSignal in{sine(441.0, 0.5, 4410), sine(441.0, 0.25, 4410, 1.0)};
    in.left[25] = 0.5f; // the sine's exact peak
    const StereoSignal passed = runKernel(normalizer, params(0.0f, 2, 1), in, 1000);
    EXPECT_EQ(passed.left, in.left);
    EXPECT_EQ(passed.right, in.right);
    EXPECT_FLOAT_EQ(normalizer.gain(0), 2.0f);
    EXPECT_FLOAT_EQ(normalizer.gain(1), 2.0f);

    const StereoSignal applied = runKernel(normalizer, params(1.0f, 2, 1), in, 1000);
    for (size_t i = 0; i < in.left.size(); ++i) {
        ASSERT_EQ(applied.left[i], in.left[i] * 2.0f);
        ASSERT_EQ(applied.right[i], in.right[i] * 2.0f);
    }
}

TEST(LevelNormalizer, NegativePeakDecidesWhenItIsLarger) {
    LevelNormalizer normalizer;
    StereoSignal in{std::vector<float>(100, 0.1f), std::vector<float>(100, 0.1f)};
    in.left[10] = 0.4f;
    in.right[60] = -0.8f;
    runKernel(normalizer, params(0.0f, 2, 1), in, 100);
    EXPECT_FLOAT_EQ(normalizer.gain(0), 1.25f);
    EXPECT_FLOAT_EQ(normalizer.gain(1), 1.25f);
}

TEST(LevelNormalizer, PeakInALaterBlockCounts) {
    LevelNormalizer normalizer;
    StereoSignal in{std::vector<float>(3000, 0.1f), std::vector<float>(3000, -0.1f)};
    in.right[2500] = 0.5f;
    runKernel(normalizer, params(0.0f, 2, 1), in, 1000);
    EXPECT_FLOAT_EQ(normalizer.gain(0), 2.0f);
}

TEST(LevelNormalizer, SilenceKeepsUnitGain) {
    // Converted digital silence is ±1e-7, not zero; it must not be raised to full scale.
    LevelNormalizer normalizer;
    StereoSignal in{std::vector<float>(1000), std::vector<float>(1000)};
    for (int32_t i = 0; i < 1000; ++i) {
        in.left[i] = in.right[i] = (i & 1) ? -1e-7f : 1e-7f;
    }
    runKernel(normalizer, params(0.0f, 2, 1), in, 1000);
    EXPECT_EQ(normalizer.gain(0), 1.0f);
    EXPECT_EQ(normalizer.gain(1), 1.0f);
}

TEST(LevelNormalizer, NothingAnalysedMeansUnitGain) {
    LevelNormalizer normalizer;
    const float* in[2] = {nullptr, nullptr};
    float* out[2] = {nullptr, nullptr};
    normalizer.process(params(0.0f, 2, 1), in, out, 0);
    EXPECT_EQ(normalizer.gain(0), 1.0f);
}

TEST(NormalizerProcessor, HalfAndQuarterScaleGetGainTwo) {
    auto normalizer = NormalizerProcessor::create();
    ASSERT_TRUE(normalizer);
    const std::vector<int16_t> source = twoSines(40000, 16384, 8192);
    std::vector<int16_t> data = source;
    for (int32_t at = 0; at < 40000; at += 4096) {
        normalizer->process(data.data() + 2 * at, std::min(4096, 40000 - at));
    }
    EXPECT_EQ(data, source); // analysing leaves the frames alone
    EXPECT_NEAR(normalizer->gain(), 2.0f, 1e-5f);

    normalizer->setValue(1.0f);
    for (int32_t at = 0; at < 40000; at += 4096) {
        normalizer->process(data.data() + 2 * at, std::min(4096, 40000 - at));
    }
    EXPECT_GE(peakOf(data, 0), 32766);
    EXPECT_LE(peakOf(data, 0), 32767);
    EXPECT_NEAR(peakOf(data, 1), 16383, 1);
    for (size_t i = 0; i < data.size(); ++i) {
        ASSERT_NEAR(data[i], 2.0 * source[i], 2.0) << i;
    }
}

TEST(NormalizerProcessor, NegativePeakDecides) {
    auto normalizer = NormalizerProcessor::create();
    ASSERT_TRUE(normalizer);
    std::vector<int16_t> data = twoSines(4410, 8000, 8000);
    data[2 * 100] = -16384;
    normalizer->process(data.data(), 4410);
    EXPECT_NEAR(normalizer->gain(), 2.0f, 1e-5f);
    normalizer->setValue(1.0f);
    normalizer->process(data.data(), 4410);
    EXPECT_LE(data[2 * 100], -32766);
    EXPECT_GE(peakOf(data, 1), 15990);
}

TEST(NormalizerProcessor, DigitalSilenceIsCopiedUnchanged) {
    auto normalizer = NormalizerProcessor::create();
    ASSERT_TRUE(normalizer);
    std::vector<int16_t> data(2 * 10000, 0);
    normalizer->process(data.data(), 10000);
    normalizer->setValue(1.0f);
    normalizer->process(data.data(), 10000);
    EXPECT_EQ(normalizer->gain(), 1.0f);
    EXPECT_EQ(data, std::vector<int16_t>(2 * 10000, 0));
}

TEST(NormalizerProcessor, FullScaleTitleKeepsItsPeak) {
    auto normalizer = NormalizerProcessor::create();
    ASSERT_TRUE(normalizer);
    std::vector<int16_t> data = twoSines(4410, 32767, 32767);
    data[0] = -32768;
    normalizer->process(data.data(), 4410);
    normalizer->setValue(1.0f);
    normalizer->process(data.data(), 4410);
    EXPECT_NEAR(normalizer->gain(), 1.0f, 1e-6f);
    EXPECT_GE(peakOf(data, 1), 32765);
    EXPECT_GE(data[0], -32767); // converted back through × 32767: never wraps round
}
