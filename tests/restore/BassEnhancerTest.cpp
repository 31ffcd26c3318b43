#include "BassEnhancer.h"
#include "KernelTestSupport.h"

using namespace kernel_test;
using namespace TestSignals;

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

TEST(BassEnhancer, ResponseAtFullAndHalfValue) {
    const struct {
        float value;
        double hz, db, tolerance;
    } rows[] = {{1.0f, 60.0, 24.0, 0.05}, {1.0f, 20.0, 12.0, 0.5},    {1.0f, 200.0, 11.0, 0.5},
                {1.0f, 1000.0, 1.5, 0.1}, {1.0f, 10000.0, 0.0, 0.05}, {0.5f, 60.0, 12.0, 0.05}};
    for (const auto& row : rows) {
        EXPECT_NEAR(measuredGainDb(row.value, row.hz), row.db, row.tolerance)
            << row.value << " at " << row.hz << " Hz";
    }
}
