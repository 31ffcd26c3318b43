#include "LevelNormalizer.h"
#include "KernelTestSupport.h"
#include "NormalizerProcessor.h"

using namespace kernel_test;
using namespace TestSignals;

TEST(LevelNormalizer, TheLargestPeakOfEitherSignChannelAndBlockSetsTheCommonGain) {
    StereoSignal louder{sine(441.0, 0.5, 4410), sine(441.0, 0.25, 4410, 1.0)};
    louder.left[25] = 0.5f; // the sine's exact peak
    StereoSignal negative{std::vector<float>(100, 0.1f), std::vector<float>(100, 0.1f)};
    negative.left[10] = 0.4f;
    negative.right[60] = -0.8f;
    StereoSignal later{std::vector<float>(3000, 0.1f), std::vector<float>(3000, -0.1f)};
    later.right[2500] = 0.5f;
    // Converted digital silence is ±1e-7, not zero; it must not be raised to full scale.
    StereoSignal silence{std::vector<float>(1000), std::vector<float>(1000)};
    for (int32_t i = 0; i < 1000; ++i) {
        silence.left[i] = silence.right[i] = (i & 1) ? -1e-7f : 1e-7f;
    }
    const std::pair<StereoSignal, float> rows[] = {
        {louder, 2.0f}, {negative, 1.25f}, {later, 2.0f}, {silence, 1.0f}};
    for (const auto& [in, gain] : rows) {
        LevelNormalizer normalizer;
        const StereoSignal passed = runKernel(normalizer, params(0.0f, 2, 1), in, 1000);
        EXPECT_EQ(passed.left, in.left); // analysing leaves the signal alone
        EXPECT_FLOAT_EQ(normalizer.gain(0), gain);
        EXPECT_FLOAT_EQ(normalizer.gain(1), gain);
        const StereoSignal applied = runKernel(normalizer, params(1.0f, 2, 1), in, 1000);
        for (size_t i = 0; i < in.left.size(); ++i) {
            ASSERT_EQ(applied.left[i], in.left[i] * normalizer.gain(0)) << gain;
            ASSERT_EQ(applied.right[i], in.right[i] * normalizer.gain(1)) << gain;
        }
    }
    // Nothing analysed: unit gain.
    LevelNormalizer normalizer;
    const float* in[2] = {nullptr, nullptr};
    float* out[2] = {nullptr, nullptr};
    normalizer.process(params(0.0f, 2, 1), in, out, 0);
    EXPECT_EQ(normalizer.gain(0), 1.0f);
}

TEST(NormalizerProcessor, GainFromTheLargestPeakAppliedWithoutWrappingRound) {
    // Half and quarter scale over several blocks, and a full-scale title with a negative
    // peak (which peaks of either sign set is shown on the kernel above).
    std::vector<int16_t> full = TestSignals::stereoSine16(4410, 441.0, 32767, 32767);
    full[0] = -32768;
    const std::pair<std::vector<int16_t>, float> rows[] = {
        {TestSignals::stereoSine16(40000, 441.0, 16384, 8192), 2.0f}, {full, 1.0f}};
    for (const auto& [source, gain] : rows) {
        auto normalizer = NormalizerProcessor::create();
        ASSERT_TRUE(normalizer);
        std::vector<int16_t> data = source;
        const auto frames = static_cast<int32_t>(data.size() / 2);
        auto run = [&] {
            for (int32_t at = 0; at < frames; at += 4096) {
                normalizer->process(data.data() + 2 * at, std::min(4096, frames - at));
            }
        };
        run();
        EXPECT_EQ(data, source); // analysing leaves the frames alone
        EXPECT_NEAR(normalizer->gain(), gain, 1e-5f);
        normalizer->setValue(1.0f);
        run();
        // Converted back through × 32767: never wraps round.
        for (size_t i = 0; i < data.size(); ++i) {
            ASSERT_NEAR(data[i], std::clamp(gain * source[i], -32767.0f, 32767.0f), 2.0f) << i;
        }
    }
}
