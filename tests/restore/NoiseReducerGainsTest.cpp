#include "NoiseReducerGains.h"
#include "NoiseReducer.h"
#include "NoiseReducerEnvelope.h"

#include <gtest/gtest.h>

#include <vector>

TEST(NoiseReducerGains, TheFloorRunsFromOneToAHundredthAndHoldsTheGain) {
    // Values outside the slider's range are held to it.
    const std::pair<float, float> floors[] = {
        {0.0f, 1.0f}, {0.5f, 0.1f}, {1.0f, 0.01f}, {-0.5f, 1.0f}, {2.0f, 0.01f}};
    for (const auto& [value, floor] : floors) {
        EXPECT_FLOAT_EQ(NoiseReducer::gainFloor(value), floor) << value;
    }
    // Power at the noise level and a low last estimate: the rule gives about 0.09.
    const auto& table = NoiseReducerGainTable::instance();
    const auto free = NoiseReducerGains::groupGain(table, 1.0f, 1.0f, 0.01f, 0.01f);
    EXPECT_LT(free.gain, 0.15f);
    EXPECT_GT(free.gain, 0.01f);
    EXPECT_EQ(NoiseReducerGains::groupGain(table, 1.0f, 1.0f, 0.01f, 0.5f).gain, 0.5f);
    const auto none = NoiseReducerGains::groupGain(table, 1.0f, 1.0f, 0.01f, 1.0f);
    EXPECT_EQ(none.gain, 1.0f);
    EXPECT_FLOAT_EQ(none.estimate, 1.0f);
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
