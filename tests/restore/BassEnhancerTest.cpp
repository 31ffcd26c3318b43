#include "BassEnhancer.h"
#include "SignalTestSupport.h"

using namespace signal_test;

namespace {

// Steady-state gain in dB of the bass section at `hz` for user value `value`.
double measuredGainDb(float value, double hz) {
    BassEnhancer bass;
    const int32_t count = 4 * 44100;
    StereoSignal in{sine(hz, 0.01, count), sine(hz, 0.01, count)};
    const StereoSignal out = runKernel(bass, params(value), in, 4096);
    // Skip the first two seconds: the 60 Hz resonance rings for a while.
    const int32_t start = 2 * 44100;
    return dB(toneAmplitude(out.left.data() + start, count - start, hz) /
              toneAmplitude(in.left.data() + start, count - start, hz));
}

} // namespace

TEST(BassEnhancerDesign, FullGainGivesTheKnownSection) {
    const auto c = BassEnhancer::design(24.0);
    EXPECT_NEAR(c.b0, 1.0429581, 5e-7);
    EXPECT_NEAR(c.b1, -1.9941411, 5e-7);
    EXPECT_NEAR(c.b2, 0.9512559, 5e-7);
    EXPECT_NEAR(c.a1, -1.9941411, 5e-7);
    EXPECT_NEAR(c.a2, 0.9942140, 5e-7);
}

TEST(BassEnhancerDesign, SmallGainsGiveTheIdentity) {
    for (double g : {0.0, 0.72, -0.72, 0.8}) {
        const auto c = BassEnhancer::design(g);
        EXPECT_EQ(c.b0, 1.0) << g;
        EXPECT_EQ(c.b1, 0.0) << g;
        EXPECT_EQ(c.b2, 0.0) << g;
        EXPECT_EQ(c.a1, 0.0) << g;
        EXPECT_EQ(c.a2, 0.0) << g;
    }
    const auto c = BassEnhancer::design(0.81);
    EXPECT_NE(c.a1, 0.0);
}

TEST(BassEnhancerDesign, CutIsTheInverseOfTheBoost) {
    const auto boost = BassEnhancer::design(12.0);
    const auto cut = BassEnhancer::design(-12.0);
    // The cut's numerator is the boost's denominator, both normalised to their own a0.
    EXPECT_NEAR(cut.b1 / cut.b0, boost.a1, 1e-12);
    EXPECT_NEAR(cut.b2 / cut.b0, boost.a2, 1e-12);
    EXPECT_NEAR(cut.a1, boost.b1 / boost.b0, 1e-12);
    EXPECT_NEAR(cut.a2, boost.b2 / boost.b0, 1e-12);
}

TEST(BassEnhancer, ValuesZeroAndThreeHundredthsPassTheSignalUnchanged) {
    const StereoSignal in{noise(10000, 0.9, 1), noise(10000, 0.9, 2)};
    for (float value : {0.0f, 0.03f}) {
        BassEnhancer bass;
        const StereoSignal out = runKernel(bass, params(value), in, 4096);
        EXPECT_EQ(out.left, in.left) << value;
        EXPECT_EQ(out.right, in.right) << value;
    }
}

TEST(BassEnhancer, FullValueResponse) {
    EXPECT_NEAR(measuredGainDb(1.0f, 60.0), 24.0, 0.05);
    EXPECT_NEAR(measuredGainDb(1.0f, 20.0), 12.0, 0.5);
    EXPECT_NEAR(measuredGainDb(1.0f, 200.0), 11.0, 0.5);
    EXPECT_NEAR(measuredGainDb(1.0f, 1000.0), 1.5, 0.1);
    EXPECT_NEAR(measuredGainDb(1.0f, 10000.0), 0.0, 0.05);
}

TEST(BassEnhancer, HalfValueGivesTwelveDecibelsAtSixtyHertz) {
    EXPECT_NEAR(measuredGainDb(0.5f, 60.0), 12.0, 0.05);
}

TEST(BassEnhancer, MonoTouchesOnlyTheFirstChannel) {
    BassEnhancer bass;
    const StereoSignal in{sine(60.0, 0.01, 44100), sine(60.0, 0.01, 44100)};
    StereoSignal out{std::vector<float>(44100, 7.0f), std::vector<float>(44100, 7.0f)};
    const float* i[2] = {in.left.data(), in.right.data()};
    float* o[2] = {out.left.data(), out.right.data()};
    bass.process(params(1.0f, 1), i, o, 44100);
    EXPECT_GT(toneAmplitude(out.left.data() + 22050, 22050, 60.0), 0.1);
    EXPECT_EQ(out.right, std::vector<float>(44100, 7.0f));
}

TEST(BassEnhancer, OutputDoesNotDependOnTheBlockSize) {
    const int32_t count = 40000;
    StereoSignal in{noise(count, 0.5, 3), sine(50.0, 0.3, count)};
    BassEnhancer whole;
    const StereoSignal reference = runKernel(whole, params(0.8f), in, count);
    for (int32_t block : {1, 37, 4096, 16384}) {
        BassEnhancer bass;
        const StereoSignal out = runKernel(bass, params(0.8f), in, block);
        EXPECT_EQ(out.left, reference.left) << block;
        EXPECT_EQ(out.right, reference.right) << block;
    }
}
