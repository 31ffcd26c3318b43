#include "NoiseReducerGains.h"
#include "NoiseReducer.h"
#include "NoiseReducerEnvelope.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace {

const NoiseReducerGainTable& table() {
    return NoiseReducerGainTable::instance();
}

// Every bin at `power`, every group's noise at `noise`.
struct Spectrum {
    std::vector<float> power = std::vector<float>(512);
    std::vector<float> noise = std::vector<float>(128);
    Spectrum(float p, float n) {
        std::fill(power.begin(), power.end(), p);
        std::fill(noise.begin(), noise.end(), n);
    }
};

double hopMs() {
    return 512 / 44.1;
}

} // namespace

TEST(NoiseReducerGains, GainFloorIsOneAtZeroAndAHundredthAtOne) {
    EXPECT_EQ(NoiseReducer::gainFloor(0.0f), 1.0f);
    EXPECT_FLOAT_EQ(NoiseReducer::gainFloor(1.0f), 0.01f);
    EXPECT_FLOAT_EQ(NoiseReducer::gainFloor(0.5f), 0.1f);
    // Values outside the slider's range are held to it.
    EXPECT_EQ(NoiseReducer::gainFloor(-0.5f), 1.0f);
    EXPECT_FLOAT_EQ(NoiseReducer::gainFloor(2.0f), 0.01f);
}

TEST(NoiseReducerGains, StartFromAPrioriSnrAndEstimate100AndZeroGains) {
    NoiseReducerGains gains;
    for (int32_t g = 0; g < 128; ++g) {
        ASSERT_EQ(gains.xi(g), 100.0f);
        ASSERT_EQ(gains.estimate(g), 100.0f);
        ASSERT_EQ(gains.gain(g), 0.0f);
        ASSERT_EQ(gains.smoothed(g), 0.0f);
    }
}

TEST(NoiseReducerGains, ZeroNoiseEstimateGivesSnr100AndEstimate100) {
    const auto group = NoiseReducerGains::groupGain(table(), 1e-6f, 0.0f, 3.0f, 0.01f);
    EXPECT_EQ(group.gammaMinusOne, 100.0f);
    EXPECT_FLOAT_EQ(group.xi, 0.99f * 3.0f + 0.01f * 100.0f);
    EXPECT_EQ(group.estimate, 100.0f);
    EXPECT_FLOAT_EQ(group.gain, table().lookup(100.0, group.xi));
}

TEST(NoiseReducerGains, DecisionDirectedEstimateWithClampedRatios) {
    // gamma - 1 = 4 - 1 = 3; xi = 0.99 × 0.5 + 0.01 × 3.
    auto group = NoiseReducerGains::groupGain(table(), 4.0f, 1.0f, 0.5f, 0.01f);
    EXPECT_FLOAT_EQ(group.gammaMinusOne, 3.0f);
    EXPECT_FLOAT_EQ(group.xi, 0.525f);
    EXPECT_FLOAT_EQ(group.gain, table().lookup(3.0, 0.525));
    EXPECT_FLOAT_EQ(group.estimate, group.gain * group.gain * 4.0f);
    // Below the noise: gamma - 1 held at 0.01, and xi too when the last estimate was low.
    group = NoiseReducerGains::groupGain(table(), 0.1f, 1.0f, 0.0f, 0.01f);
    EXPECT_FLOAT_EQ(group.gammaMinusOne, 0.01f);
    EXPECT_FLOAT_EQ(group.xi, 0.01f);
    // Far above: both held at 100.
    group = NoiseReducerGains::groupGain(table(), 1e6f, 1.0f, 1e6f, 0.01f);
    EXPECT_EQ(group.gammaMinusOne, 100.0f);
    EXPECT_EQ(group.xi, 100.0f);
}

TEST(NoiseReducerGains, GainIsHeldAtTheFloor) {
    // Power at the noise level and a low last estimate: the rule gives about 0.09.
    const auto free = NoiseReducerGains::groupGain(table(), 1.0f, 1.0f, 0.01f, 0.01f);
    EXPECT_LT(free.gain, 0.15f);
    EXPECT_GT(free.gain, 0.01f);
    const auto held = NoiseReducerGains::groupGain(table(), 1.0f, 1.0f, 0.01f, 0.5f);
    EXPECT_EQ(held.gain, 0.5f);
    const auto none = NoiseReducerGains::groupGain(table(), 1.0f, 1.0f, 0.01f, 1.0f);
    EXPECT_EQ(none.gain, 1.0f);
    EXPECT_FLOAT_EQ(none.estimate, 1.0f);
}

TEST(NoiseReducerGains, GainsAbove1AreAppliedWhenTheFloorIs1) {
    // High a-priori SNR (the reset 100), power just above the noise: about 1.27.
    NoiseReducerGains gains;
    const Spectrum spectrum(1.01f, 1.0f);
    gains.estimate(table(), spectrum.power.data(), spectrum.noise.data(), 1.0f);
    gains.smooth(0.0f, 0.0f); // no smoothing: the raw gain at once
    std::vector<float> re(513, 0.5f), im(513, -0.25f);
    gains.apply(re.data(), im.data());
    for (int32_t k = 0; k < 512; ++k) {
        ASSERT_NEAR(re[k], 0.5f * 1.27f, 0.005f) << k;
        ASSERT_NEAR(im[k], -0.25f * 1.27f, 0.003f) << k;
        ASSERT_EQ(re[k], 0.5f * gains.smoothed(k / 4)) << k;
    }
    // The Nyquist bin keeps its value.
    EXPECT_EQ(re[512], 0.5f);
    EXPECT_EQ(im[512], -0.25f);
}

TEST(NoiseReducerGains, EachGroupTakesTheMeanPowerOfItsFourBins) {
    NoiseReducerGains gains;
    Spectrum spectrum(0.0f, 1.0f);
    spectrum.power[40] = 8.0f; // group 10: mean 2, gamma - 1 = 1
    spectrum.power[43] = 4.0f; // mean 3, gamma - 1 = 2
    gains.estimate(table(), spectrum.power.data(), spectrum.noise.data(), 0.0f);
    const auto expected = NoiseReducerGains::groupGain(table(), 3.0f, 1.0f, 100.0f, 0.0f);
    EXPECT_EQ(gains.gain(10), expected.gain);
    EXPECT_EQ(gains.estimate(10), expected.estimate);
    EXPECT_EQ(gains.xi(10), expected.xi);
    EXPECT_NE(gains.gain(9), expected.gain);
}

TEST(NoiseReducerGains, StereoLinkGivesTheFirstChannelTheMean) {
    NoiseReducerGains left, right;
    const Spectrum loud(50.0f, 1.0f), quiet(1.0f, 1.0f);
    left.estimate(table(), loud.power.data(), loud.noise.data(), 0.01f);
    right.estimate(table(), quiet.power.data(), quiet.noise.data(), 0.01f);
    const float gl = left.gain(5), gr = right.gain(5);
    ASSERT_NE(gl, gr);
    left.linkWith(right);
    EXPECT_FLOAT_EQ(left.gain(5), 0.5f * (gl + gr));
    EXPECT_EQ(right.gain(5), gr);
}

TEST(NoiseReducerGains, RisingGainsFollowTheAttackAndFallingOnesTheRelease) {
    NoiseReducerGains gains;
    const Spectrum spectrum(1.0f, 1.0f);
    gains.estimate(table(), spectrum.power.data(), spectrum.noise.data(), 1.5f);
    ASSERT_EQ(gains.gain(0), 1.5f); // the floor, above the rule's 1.27
    gains.smooth(0.25f, 0.9f);      // from 0 up: attack
    EXPECT_FLOAT_EQ(gains.smoothed(0), 0.75f * 1.5f);
    gains.smooth(0.25f, 0.9f);
    EXPECT_FLOAT_EQ(gains.smoothed(0), 0.25f * 1.125f + 0.75f * 1.5f);
    gains.estimate(table(), spectrum.power.data(), spectrum.noise.data(), 0.1f);
    const float before = gains.smoothed(0), target = gains.gain(0);
    ASSERT_LT(target, before);
    gains.smooth(0.25f, 0.9f); // down: release
    EXPECT_FLOAT_EQ(gains.smoothed(0), 0.9f * before + 0.1f * target);
}

TEST(NoiseReducerEnvelope, StartsAt6And42Point5Milliseconds) {
    NoiseReducerEnvelope envelope(512);
    EXPECT_EQ(envelope.attackMs(), 6.0);
    EXPECT_EQ(envelope.releaseMs(), 42.5);
    EXPECT_DOUBLE_EQ(envelope.attack(), std::exp(-hopMs() / 6.0));
    EXPECT_DOUBLE_EQ(envelope.release(), std::exp(-hopMs() / 42.5));
}

TEST(NoiseReducerEnvelope, SilenceKeepsTheLongestTimes) {
    NoiseReducerEnvelope envelope(512);
    const std::vector<float> silence(512, 0.0f);
    for (int32_t i = 0; i < 10; ++i) {
        envelope.adapt(silence.data(), 512);
    }
    EXPECT_DOUBLE_EQ(envelope.attackMs(), 6.0);
    EXPECT_DOUBLE_EQ(envelope.releaseMs(), 42.5);
    EXPECT_EQ(envelope.slow(), 0.0);
}

TEST(NoiseReducerEnvelope, FollowsTheAmplitudeWithBothTimeConstants) {
    NoiseReducerEnvelope envelope(512);
    const std::vector<float> level(512, -0.5f);
    envelope.adapt(level.data(), 512);
    const double slowStep = std::exp(-1.0 / (44.1 * 250.0));
    const double fastStep = std::exp(-1.0 / (44.1 * 5.0));
    EXPECT_NEAR(envelope.slow(), 0.5 * (1.0 - std::pow(slowStep, 512)), 1e-9);
    EXPECT_NEAR(envelope.fast(), 0.5 * (1.0 - std::pow(fastStep, 512)), 1e-9);
}

TEST(NoiseReducerEnvelope, ASuddenStepShortensBothTimesAtOnceAndTheyGrowBackSmoothly) {
    NoiseReducerEnvelope envelope(512);
    std::vector<float> step(512, 0.0f);
    step[511] = 1.0f; // |x| - slow is nearly 1 on the last sample
    envelope.adapt(step.data(), 512);
    const double deviation = 1.0 - envelope.slow();
    EXPECT_NEAR(envelope.attackMs(), (1.0 - deviation) * 5.0 + 1.0, 1e-9);
    EXPECT_DOUBLE_EQ(envelope.attack(), std::exp(-hopMs() / envelope.attackMs()));

    const std::vector<float> loud(512, 1.0f);
    envelope.adapt(loud.data(), 512);
    // The fast envelope is far from the slow one: the release time falls at once.
    const double apart = 1.0 - std::fabs(envelope.fast() - envelope.slow());
    EXPECT_NEAR(envelope.releaseMs(), apart * apart * 37.5 + 5.0, 1e-9);
    EXPECT_LT(envelope.releaseMs(), 20.0);

    // Quiet again: the attack time glides back toward 6 ms, 5 ms time constant per hop.
    const std::vector<float> silence(512, 0.0f);
    double attack = envelope.attackMs();
    // The largest deviation is the slow envelope itself, on the first silent sample.
    const double deviationNow = envelope.slow() * std::exp(-1.0 / (44.1 * 250.0));
    envelope.adapt(silence.data(), 512);
    const double target = (1.0 - deviationNow) * 5.0 + 1.0;
    const double glide = std::exp(-512.0 / (44.1 * 5.0));
    EXPECT_NEAR(envelope.attackMs(), glide * attack + (1.0 - glide) * target, 1e-9);
    EXPECT_GT(envelope.attackMs(), attack);
    attack = envelope.attackMs();
    for (int32_t i = 0; i < 40; ++i) {
        envelope.adapt(silence.data(), 512);
    }
    EXPECT_GT(envelope.attackMs(), attack);
    EXPECT_GT(envelope.releaseMs(), 30.0);
}
