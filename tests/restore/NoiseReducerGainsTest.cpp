#include "NoiseReducerGains.h"
#include "NoiseReducer.h"
#include "NoiseReducerEnvelope.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const NoiseReducerGainTable& table() {
    return NoiseReducerGainTable::instance();
}

} // namespace

TEST(NoiseReducerGains, TheFloorRunsFromOneToAHundredthAndHoldsTheGain) {
    // Values outside the slider's range are held to it.
    const std::pair<float, float> floors[] = {
        {0.0f, 1.0f}, {0.5f, 0.1f}, {1.0f, 0.01f}, {-0.5f, 1.0f}, {2.0f, 0.01f}};
    for (const auto& [value, floor] : floors) {
        EXPECT_FLOAT_EQ(NoiseReducer::gainFloor(value), floor) << value;
    }
    // Power at the noise level and a low last estimate: the rule gives about 0.09.
    const auto free = NoiseReducerGains::groupGain(table(), 1.0f, 1.0f, 0.01f, 0.01f);
    EXPECT_LT(free.gain, 0.15f);
    EXPECT_GT(free.gain, 0.01f);
    EXPECT_EQ(NoiseReducerGains::groupGain(table(), 1.0f, 1.0f, 0.01f, 0.5f).gain, 0.5f);
    const auto none = NoiseReducerGains::groupGain(table(), 1.0f, 1.0f, 0.01f, 1.0f);
    EXPECT_EQ(none.gain, 1.0f);
    EXPECT_FLOAT_EQ(none.estimate, 1.0f);
}

TEST(NoiseReducerGains, GainsAbove1AreAppliedWhenTheFloorIs1) {
    // High a-priori SNR (the reset 100), power just above the noise: about 1.27.
    NoiseReducerGains gains;
    const std::vector<float> power(512, 1.01f), noise(128, 1.0f);
    gains.estimate(table(), power.data(), noise.data(), 1.0f);
    gains.smooth(0.0f, 0.0f); // no smoothing: the raw gain at once
    std::vector<float> re(513, 0.5f), im(513, -0.25f);
    gains.apply(re.data(), im.data());
    for (int32_t k = 0; k < 512; ++k) {
        ASSERT_NEAR(re[k], 0.5f * 1.27f, 0.005f) << k;
        ASSERT_NEAR(im[k], -0.25f * 1.27f, 0.003f) << k;
    }
    // The Nyquist bin keeps its value.
    EXPECT_EQ(re[512], 0.5f);
    EXPECT_EQ(im[512], -0.25f);
}

TEST(NoiseReducerEnvelope, ASuddenStepShortensBothTimesAndQuietLetsThemGrowBack) {
    NoiseReducerEnvelope envelope(512);
    const std::vector<float> silence(512, 0.0f), loud(512, 1.0f);
    // Silence keeps the longest times.
    for (int32_t i = 0; i < 10; ++i) {
        envelope.adapt(silence.data(), 512);
    }
    EXPECT_DOUBLE_EQ(envelope.attackMs(), 6.0);
    EXPECT_DOUBLE_EQ(envelope.releaseMs(), 42.5);
    std::vector<float> step(512, 0.0f);
    step[511] = 1.0f;
    envelope.adapt(step.data(), 512);
    envelope.adapt(loud.data(), 512);
    const double attack = envelope.attackMs();
    EXPECT_LT(attack, 2.0);
    EXPECT_LT(envelope.releaseMs(), 20.0);
    for (int32_t i = 0; i < 40; ++i) {
        envelope.adapt(silence.data(), 512);
    }
    EXPECT_GT(envelope.attackMs(), attack);
    EXPECT_GT(envelope.releaseMs(), 30.0);
}
