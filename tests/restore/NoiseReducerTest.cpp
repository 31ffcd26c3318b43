#include "NoiseReducer.h"
#include "AlgorithmLibrary.h"
#include "NspLibrary.h"
#include "ProcessorChain.h"
#include "SignalTestSupport.h"

using namespace signal_test;

namespace {

constexpr int32_t kLatency = 769;
constexpr int32_t kSecond = 44100;

// White noise of the given RMS level in dBFS (uniform, so the peak is sqrt(3) × RMS).
std::vector<float> whiteNoise(int32_t count, double rmsDb, uint32_t seed) {
    return noise(count, std::sqrt(3.0) * std::pow(10.0, rmsDb / 20.0), seed);
}

StereoSignal whiteNoiseStereo(int32_t count, double rmsDb, uint32_t seed) {
    return {whiteNoise(count, rmsDb, seed), whiteNoise(count, rmsDb, seed + 1000)};
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

// Mean power of x[from .. from + count) between lowHz and highHz, in dB, from
// Hann-windowed 1024-point spectra.
double bandPowerDb(const std::vector<float>& x, int32_t from, int32_t count, double lowHz,
                   double highHz) {
    std::vector<float> a(kNspCcsLength), b(kNspCcsLength);
    const int32_t low = static_cast<int32_t>(std::ceil(lowHz * 1024 / kRate));
    const int32_t high = static_cast<int32_t>(highHz * 1024 / kRate);
    double sum = 0.0;
    int32_t frames = 0;
    for (int32_t at = from; at + 1024 <= from + count; at += 1024) {
        for (int32_t n = 0; n < 1024; ++n) {
            a[n] = static_cast<float>(x[at + n] *
                                      (0.5 - 0.5 * std::cos(2 * std::numbers::pi * n / 1024)));
        }
        EXPECT_TRUE(nspsReal2Fft(a.data(), b.data(), 10, kNspForward));
        for (int32_t k = low; k <= high; ++k) {
            sum += static_cast<double>(a[2 * k]) * a[2 * k] +
                   static_cast<double>(a[2 * k + 1]) * a[2 * k + 1];
        }
        ++frames;
    }
    return 10.0 * std::log10(sum / frames);
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

TEST(NoiseReducer, TheLibraryMakesItWithALatencyOf769) {
    auto kernel = AlgorithmLibrary::create(ProcessorKind::NoiseReducer, params(0.5f));
    ASSERT_TRUE(kernel);
    EXPECT_EQ(kernel->latency(), kLatency);
    EXPECT_TRUE(dynamic_cast<NoiseReducer*>(kernel.get()));
}

TEST(NoiseReducer, SitsInSlot2OfTheChainWithItsLatency) {
    ProcessorChain chain(std::make_shared<ProcessorSwitches>());
    ASSERT_TRUE(chain.createProcessor(2, 0.5f));
    EXPECT_EQ(chain.latency(2), kLatency);
}

TEST(NoiseReducer, OutputDoesNotDependOnTheBlockSize) {
    const int32_t count = 3 * kSecond;
    StereoSignal in = whiteNoiseStereo(count, -40.0, 1);
    addTone(in, sine(1500.0, 0.3, count), true, false);
    NoiseReducer reference;
    const StereoSignal expected = runKernel(reference, params(0.8f), in, 4096);
    for (int32_t block : {1, 777, 16384}) {
        NoiseReducer reducer;
        const StereoSignal out = runKernel(reducer, params(0.8f), in, block);
        EXPECT_EQ(out.left, expected.left) << block;
        EXPECT_EQ(out.right, expected.right) << block;
    }
}

TEST(NoiseReducer, StartsEveryGroupFromAZeroNoiseEstimate) {
    // The first frame counts the histograms; no noise power is known yet, so every group
    // sees gamma - 1 = 100 and carries an estimate of 100.
    NoiseReducer reducer;
    runKernel(reducer, params(1.0f), whiteNoiseStereo(512, -50.0, 2), 512);
    for (int32_t c = 0; c < 2; ++c) {
        for (int32_t g = 0; g < 128; ++g) {
            ASSERT_EQ(reducer.kernel().levels(c).noisePower()[g], 0.0f);
            ASSERT_EQ(reducer.kernel().gains(c).estimate(g), 100.0f) << g;
            ASSERT_FLOAT_EQ(reducer.kernel().gains(c).xi(g), 100.0f) << g;
        }
    }
}

TEST(NoiseReducer, DigitalSilenceFromTheStartLeavesTheLevelsAtMinus80Db) {
    NoiseReducer reducer;
    const StereoSignal silence{std::vector<float>(3 * kSecond), std::vector<float>(3 * kSecond)};
    const StereoSignal out = runKernel(reducer, params(1.0f), silence, 4096);
    for (int32_t c = 0; c < 2; ++c) {
        for (int32_t b = 0; b < 8; ++b) {
            EXPECT_EQ(levelOf(reducer, c, b), -8.0);
            for (int32_t i = 1; i < 127; ++i) {
                ASSERT_EQ(reducer.kernel().levels(c).subBand(b).count(i), 0);
            }
        }
        EXPECT_NEAR(reducer.kernel().levels(c).noiseLevelDb(), -80.0, 1e-9);
    }
    EXPECT_EQ(out.left, silence.left);
}

TEST(NoiseReducer, DigitalSilenceAfterNoiseLeavesHistogramsAndLevelsAsTheyWere) {
    NoiseReducer reducer;
    runKernel(reducer, params(1.0f), whiteNoiseStereo(5 * kSecond, -60.0, 3), 4096);
    // A few hops until no frame holds any noise.
    const StereoSignal gap{std::vector<float>(2048), std::vector<float>(2048)};
    runKernel(reducer, params(1.0f), gap, 2048);
    const StereoSignal silence{std::vector<float>(2 * kSecond), std::vector<float>(2 * kSecond)};
    const NoiseReducerLevels before = reducer.kernel().levels(0);
    runKernel(reducer, params(1.0f), silence, 4096);
    const NoiseReducerLevels& after = reducer.kernel().levels(0);
    for (int32_t b = 0; b < 8; ++b) {
        for (int32_t i = 0; i < 128; ++i) {
            ASSERT_EQ(after.subBand(b).count(i), before.subBand(b).count(i)) << b << " " << i;
        }
        // The levels only settle by rounding as the same histograms are read again.
        EXPECT_NEAR(after.level(b), before.level(b), 1e-4) << b;
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
        EXPECT_EQ(reducer.kernel().gains(c).estimate(5), 100.0f);
        EXPECT_EQ(reducer.kernel().gains(c).smoothed(5), 0.0f);
        EXPECT_EQ(reducer.kernel().envelope(c).attackMs(), 6.0);
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
    EXPECT_GT(bandPowerDb(out.left, from + kLatency, kSecond, 100.0, 20000.0),
              bandPowerDb(in.left, from, kSecond, 100.0, 20000.0) - 0.05);
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
        const double before = bandPowerDb(input, from - kLatency, length, 2000.0, 16000.0);
        const double after = bandPowerDb(*channel, from, length, 2000.0, 16000.0);
        EXPECT_LT(after, before - 12.0);
        const double level = toneAmplitude(channel->data() + from, length, 1000.0);
        EXPECT_NEAR(dB(level / amplitude), 0.0, 1.0);
    }
}

TEST(NoiseReducer, TheRightChannelRunsAsItWouldAloneAndTheLeftTakesTheMeanGain) {
    const int32_t count = 2 * kSecond;
    StereoSignal in{whiteNoise(count, -40.0, 11), whiteNoise(count, -60.0, 12)};
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
