#include "NoiseReducer.h"
#include "KernelTestSupport.h"

using namespace kernel_test;
using namespace TestSignals;

namespace {

constexpr int32_t kLatency = 769;
constexpr int32_t kSecond = 44100;

StereoSignal whiteNoiseStereo(int32_t count, double rmsDb, uint32_t seed) {
    return {hiss(count, rmsDb, seed), hiss(count, rmsDb, seed + 1000)};
}

// Adds `tone` to the chosen channels of `signal`.
void addTone(StereoSignal& signal, const std::vector<float>& tone, bool left, bool right) {
    for (size_t i = 0; i < tone.size(); ++i) {
        signal.left[i] += left ? tone[i] : 0.0f;
        signal.right[i] += right ? tone[i] : 0.0f;
    }
}

// Expected power of one bin of the windowed frame for white noise of this RMS level.
double expectedBinPowerDb(double rmsDb) {
    OlsWindow window;
    double sum = 0.0;
    for (int32_t n = 0; n < OlsWindow::kFrameSize; ++n) {
        sum += static_cast<double>(window.window(n)) * window.window(n);
    }
    return rmsDb + 10.0 * std::log10(sum);
}

double levelOf(const NoiseReducer& reducer, int32_t channel, int32_t band) {
    return reducer.kernel().levels(channel).level(band);
}

// Both channels' noise level and the noise power of a few groups, against `expectedDb`.
void expectNoiseEstimate(const NoiseReducer& reducer, double expectedDb) {
    for (int32_t c = 0; c < 2; ++c) {
        const NoiseReducerLevels& levels = reducer.kernel().levels(c);
        EXPECT_NEAR(levels.noiseLevelDb(), expectedDb, 3.0) << c;
        for (int32_t g : {20, 60, 100, 120}) {
            EXPECT_NEAR(10.0 * std::log10(levels.noisePower()[g]), expectedDb, 3.0)
                << c << " " << g;
        }
    }
}

} // namespace

TEST(NoiseReducer, DigitalSilenceIsKeptAndLeavesTheNoiseLevelsAsTheyWere) {
    const StereoSignal silence{std::vector<float>(2 * kSecond), std::vector<float>(2 * kSecond)};
    NoiseReducer fresh;
    EXPECT_EQ(runKernel(fresh, params(1.0f), silence, 4096).left, silence.left);
    EXPECT_NEAR(fresh.kernel().levels(0).noiseLevelDb(), -80.0, 1e-9);

    NoiseReducer reducer;
    runKernel(reducer, params(1.0f), whiteNoiseStereo(5 * kSecond, -60.0, 3), 4096);
    // A few hops until no frame holds any noise.
    const StereoSignal gap{std::vector<float>(2048), std::vector<float>(2048)};
    runKernel(reducer, params(1.0f), gap, 2048);
    const NoiseReducerLevels before = reducer.kernel().levels(0);
    runKernel(reducer, params(1.0f), silence, 4096);
    for (int32_t b = 0; b < 8; ++b) {
        // The levels only settle (by a thousandth of a decibel) as the same histograms are
        // read again.
        EXPECT_NEAR(reducer.kernel().levels(0).level(b), before.level(b), 1e-3) << b;
    }
}

TEST(NoiseReducer, NoiseEstimateOfWhiteNoiseConvergesAndFollowsSteps) {
    NoiseReducer reducer;
    runKernel(reducer, params(1.0f), whiteNoiseStereo(5 * kSecond, -60.0, 4), 4096);
    expectNoiseEstimate(reducer, expectedBinPowerDb(-60.0));
    // A rise is taken once the quieter counts have left every ring; the top sub-band counts
    // only 16 bins a frame, so its ring takes about 12 s to turn over.
    runKernel(reducer, params(1.0f), whiteNoiseStereo(15 * kSecond, -45.0, 5), 4096);
    expectNoiseEstimate(reducer, expectedBinPowerDb(-45.0));
    // A fall is taken as soon as the lower peak shows.
    runKernel(reducer, params(1.0f), whiteNoiseStereo(3 * kSecond, -60.0, 6), 4096);
    expectNoiseEstimate(reducer, expectedBinPowerDb(-60.0));
}

TEST(NoiseReducer, SwitchingBetweenMonoAndStereoStartsAfresh) {
    NoiseReducer reducer;
    runKernel(reducer, params(1.0f), whiteNoiseStereo(3 * kSecond, -50.0, 6), 4096);
    ASSERT_NE(levelOf(reducer, 0, 3), -8.0);
    const StereoSignal little = whiteNoiseStereo(16, -50.0, 7);
    runKernel(reducer, params(1.0f, 1), little, 16);
    EXPECT_EQ(reducer.channels(), 1);
    for (int32_t c = 0; c < 2; ++c) {
        for (int32_t b = 0; b < 8; ++b) {
            EXPECT_EQ(levelOf(reducer, c, b), -8.0);
        }
    }
    EXPECT_EQ(reducer.kernel().frameCounter(), 0);

    runKernel(reducer, params(1.0f, 1), whiteNoiseStereo(kSecond, -50.0, 8), 4096);
    ASSERT_NE(levelOf(reducer, 0, 3), -8.0);
    EXPECT_EQ(levelOf(reducer, 1, 3), -8.0); // the second channel rests in mono
    runKernel(reducer, params(1.0f, 2), little, 16);
    EXPECT_EQ(reducer.channels(), 2);
    EXPECT_EQ(levelOf(reducer, 0, 3), -8.0);
}

TEST(NoiseReducer, AtZeroNothingIsAttenuatedAndSomeGainsRiseAbove1) {
    const int32_t count = 4 * kSecond;
    StereoSignal in = whiteNoiseStereo(count, -50.0, 9);
    addTone(in, sine(3000.0, 0.05, count), true, true);
    NoiseReducer reducer;
    const StereoSignal out = runKernel(reducer, params(0.0f), in, 4096);
    float highest = 0.0f;
    for (int32_t c = 0; c < 2; ++c) {
        for (int32_t g = 0; g < 128; ++g) {
            ASSERT_GE(reducer.kernel().gains(c).gain(g), 1.0f) << g;
            ASSERT_GE(reducer.kernel().gains(c).smoothed(g), 0.9999f) << g;
            highest = std::max(highest, reducer.kernel().gains(c).smoothed(g));
        }
    }
    EXPECT_GT(highest, 1.05f);
    const int32_t from = 2 * kSecond;
    EXPECT_GT(changeDb(bandPower(out.left, from + kLatency, kSecond, 100.0, 20000.0),
                       bandPower(in.left, from, kSecond, 100.0, 20000.0)),
              -0.05);
}

TEST(NoiseReducer, AtFullStrengthHissFallsBy12DbAndASineKeepsItsLevel) {
    const int32_t warmUp = 3 * kSecond, measured = 2 * kSecond, count = warmUp + measured;
    const double amplitude = std::pow(10.0, -12.0 / 20.0);
    StereoSignal in = whiteNoiseStereo(count, -50.0, 10);
    addTone(in, sine(1000.0, amplitude, count), true, true);
    NoiseReducer reducer;
    const StereoSignal out = runKernel(reducer, params(1.0f), in, 4096);
    const int32_t from = warmUp;
    const int32_t length = measured - kLatency;
    for (const auto* channel : {&out.left, &out.right}) {
        const auto& input = channel == &out.left ? in.left : in.right;
        EXPECT_LT(changeDb(bandPower(*channel, from, length, 2000.0, 16000.0),
                           bandPower(input, from - kLatency, length, 2000.0, 16000.0)),
                  -12.0);
        const double level = toneAmplitude(channel->data() + from, length, 1000.0);
        EXPECT_NEAR(dB(level / amplitude), 0.0, 1.0);
    }
}

TEST(NoiseReducer, TheRightChannelRunsAsItWouldAloneAndTheLeftTakesTheMeanGain) {
    const int32_t count = 2 * kSecond;
    StereoSignal in{hiss(count, -40.0, 11), hiss(count, -60.0, 12)};
    addTone(in, sine(2000.0, 0.2, count), false, true);
    NoiseReducer stereo;
    const StereoSignal both = runKernel(stereo, params(1.0f), in, 4096);
    NoiseReducer alone;
    const StereoSignal right = runKernel(alone, params(1.0f, 1), {in.right, in.right}, 4096);
    EXPECT_EQ(both.right, right.left);
    NoiseReducer leftAlone;
    const StereoSignal left = runKernel(leftAlone, params(1.0f, 1), {in.left, in.left}, 4096);
    EXPECT_NE(both.left, left.left);
}
