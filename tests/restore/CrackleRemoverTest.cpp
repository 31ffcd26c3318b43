// The crackle remover: its predictor, detector and cross-fade, and the whole stage.
#include "CrackleRemover.h"
#include "AdaptivePredictor.h"
#include "ClickSignals.h"
#include "CrackleFade.h"
#include "SignalTestSupport.h"

using namespace signal_test;
using namespace click_signals;
using S = CrackleSettings;

namespace {

// Runs one channel sample by sample, noting the cross-fade's mix after each sample.
struct Traced {
    std::vector<float> output;
    std::vector<float> mix;
};

Traced traceMono(CrackleRemover& remover, const std::vector<float>& input, float value) {
    Traced traced;
    traced.output.resize(input.size());
    const ParameterBlock block = params(value, 1);
    for (size_t n = 0; n < input.size(); ++n) {
        const float* in[2] = {&input[n], &input[n]};
        float* out[2] = {&traced.output[n], &traced.output[n]};
        remover.process(block, in, out, 1);
        traced.mix.push_back(remover.channel(0).fade().mix());
    }
    return traced;
}

std::vector<float> runMono(CrackleRemover& remover, const std::vector<float>& input, float value,
                           int32_t block = 4096) {
    return runKernel(remover, params(value, 1), {input, input}, block).left;
}

// Dense crackle: `perSecond` single-sample impulses of up to ±0.3 at random places.
std::vector<float> withCrackle(const std::vector<float>& clean, int32_t perSecond, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> place(0, clean.size() - 1);
    std::uniform_real_distribution<double> size(-0.3, 0.3);
    auto out = clean;
    const auto count = static_cast<int64_t>(perSecond * clean.size() / signal_test::kRate);
    for (int64_t k = 0; k < count; ++k) {
        out[place(random)] += static_cast<float>(size(random));
    }
    return out;
}

double errorDb(const std::vector<float>& clean, const std::vector<float>& signal, int32_t lag) {
    double sum = 0.0;
    for (size_t n = 0; n + lag < signal.size(); ++n) {
        const double d = static_cast<double>(signal[n + lag]) - clean[n];
        sum += d * d;
    }
    return 10.0 * std::log10(sum);
}

} // namespace

TEST(AdaptivePredictor, LearnsASineAndKeepsItsWeightsAboveTheFloor) {
    const auto x = sine(300.0, 0.5, 20000);
    AdaptivePredictor predictor;
    std::vector<float> history(S::kOrder, 0.0f);
    float error = 0.0f;
    for (int32_t n = S::kOrder; n < 20000; ++n) {
        for (int32_t i = 0; i < S::kOrder; ++i) {
            history[i] = x[n - 1 - i];
        }
        error = predictor.adapt(history.data(), x[n - S::kDelay]);
        for (int32_t i = 0; i < S::kOrder; ++i) {
            ASSERT_GE(predictor.weights()[i], S::kWeightFloor) << n << " " << i;
        }
    }
    EXPECT_LT(std::abs(error), 0.05f);
}

TEST(AdaptivePredictor, TheDelayedWeightsAreThoseOfNineUpdatesBefore) {
    AdaptivePredictor predictor;
    const auto x = noise(200, 0.5, 3);
    std::vector<std::array<float, S::kOrder>> seen;
    for (int32_t n = 0; n + S::kOrder < 200; ++n) {
        predictor.adapt(x.data() + n, x[n + S::kOrder]);
        std::array<float, S::kOrder> w;
        std::copy_n(predictor.weights(), S::kOrder, w.begin());
        seen.push_back(w);
        const float* delayed = predictor.delayedWeights();
        for (int32_t i = 0; i < S::kOrder; ++i) {
            const float expected = n >= S::kWeightDelay ? seen[n - S::kWeightDelay][i] : 0.0f;
            ASSERT_EQ(delayed[i], expected) << n << " " << i;
        }
    }
}

TEST(CrackleFade, FadesOverEightHoldsFourAndFadesBack) {
    CrackleFade fade;
    std::vector<float> mix;
    mix.push_back(fade.step(true));
    for (int32_t n = 0; n < 30; ++n) {
        mix.push_back(fade.step(false));
    }
    // Eight fading samples reach 0 (the detection's own sample is the first).
    for (int32_t n = 0; n < 8; ++n) {
        EXPECT_EQ(mix[n], 1.0f - S::kFadeStep * (n + 1)) << n;
    }
    // Then the hold: four more samples at 0.
    for (int32_t n = 8; n < 8 + S::kHold; ++n) {
        EXPECT_EQ(mix[n], 0.0f) << n;
    }
    // Back over eight samples.
    for (int32_t n = 0; n < 8; ++n) {
        EXPECT_EQ(mix[8 + S::kHold + n], S::kFadeStep * (n + 1)) << n;
    }
    EXPECT_EQ(fade.state(), CrackleFade::State::Idle);
    EXPECT_EQ(fade.engaged(), 1);
}

TEST(CrackleFade, DetectionsReloadTheHoldAndTurnAFadeBackRound) {
    CrackleFade fade;
    fade.step(true);
    for (int32_t n = 0; n < 10; ++n) {
        fade.step(false); // holding after this
    }
    EXPECT_EQ(fade.state(), CrackleFade::State::Holding);
    fade.step(true); // reloads the hold
    for (int32_t n = 0; n < S::kHold; ++n) {
        fade.step(false);
        EXPECT_EQ(fade.mix(), 0.0f) << n;
    }
    fade.step(false);
    fade.step(false);
    EXPECT_EQ(fade.state(), CrackleFade::State::FadingIn);
    EXPECT_EQ(fade.mix(), 2 * S::kFadeStep);
    fade.step(true); // turns round: back towards the prediction
    EXPECT_EQ(fade.state(), CrackleFade::State::FadingOut);
    fade.step(false);
    EXPECT_EQ(fade.mix(), 2 * S::kFadeStep);
    EXPECT_EQ(fade.engaged(), 1); // all one event
}

TEST(CrackleRemover, ThresholdFollowsTheUserValueAndLatencyIsReportedZero) {
    EXPECT_EQ(CrackleRemover::thresholdFor(0.0f), 10.0f);
    EXPECT_EQ(CrackleRemover::thresholdFor(0.5f), 5.0f);
    EXPECT_EQ(CrackleRemover::thresholdFor(1.0f), 0.0f);
    CrackleRemover remover;
    EXPECT_EQ(remover.latency(), 0);
    for (const RepairOption& option : CrackleSettings::kOptions) {
        EXPECT_LE(option.minimum, option.defaultValue) << option.name;
        EXPECT_LE(option.defaultValue, option.maximum) << option.name;
    }
    EXPECT_EQ(CrackleRemover::thresholdFor(0.0f), CrackleSettings::kThreshold.defaultValue);
}

TEST(CrackleRemover, WithoutDetectionsTheInputComesBackEighteenSamplesLate) {
    const auto input = sine(440.0, 0.5, 20000);
    for (float value : {0.0f, 0.5f}) {
        CrackleRemover remover;
        const auto output = runMono(remover, input, value);
        for (int32_t n = 0; n < S::kLag; ++n) {
            ASSERT_EQ(output[n], 0.0f) << n;
        }
        for (int32_t n = S::kLag; n < 20000; ++n) {
            ASSERT_EQ(output[n], input[n - S::kLag]) << n;
        }
        EXPECT_EQ(remover.report().repairs, 0);
        EXPECT_EQ(remover.report().samples, 0);
    }
}

TEST(CrackleRemover, ASingleImpulseIsFadedOutHeldAndFadedBack) {
    const auto clean = musicBed(30000, 3);
    auto input = clean;
    const int32_t at = 25000;
    input[at] += 0.3f;
    CrackleRemover remover;
    const auto traced = traceMono(remover, input, 0.5f);
    // The error filter sees the impulse 9 samples on; from then the output fades, so
    // that the impulse leaves (18 samples on) while only the substitute is heard.
    int32_t first = 0;
    while (traced.mix[first] == 1.0f) {
        ++first;
    }
    EXPECT_EQ(first, at + S::kDelay);
    for (int32_t n = 0; n < 8; ++n) {
        EXPECT_EQ(traced.mix[first + n], 1.0f - S::kFadeStep * (n + 1)) << n;
    }
    int32_t held = 0;
    while (traced.mix[first + 7 + held + 1] == 0.0f) {
        ++held;
    }
    EXPECT_GE(held, S::kHold);
    const int32_t back = first + 8 + held;
    for (int32_t n = 0; n < 8; ++n) {
        EXPECT_EQ(traced.mix[back + n], S::kFadeStep * (n + 1)) << n;
    }
    EXPECT_EQ(traced.mix[at + S::kLag], 0.0f);
    for (size_t n = back + 8; n < traced.mix.size(); ++n) {
        ASSERT_EQ(traced.mix[n], 1.0f) << n;
    }
    // The impulse itself is replaced: far nearer the clean signal than before.
    EXPECT_LT(std::abs(traced.output[at + S::kLag] - clean[at]), 0.1f);
    EXPECT_EQ(remover.report().repairs, 1);
    EXPECT_EQ(remover.report().samples, 8 + held + 7);
}

TEST(CrackleRemover, AtZeroOnlyStrongImpulsesSwitchTheFadeOn) {
    // The smallest impulse that switches the fade on, on music with noise at −54 dBFS.
    auto smallestDetected = [](float value) {
        for (float size = 0.004f; size < 1.0f; size *= 1.2f) {
            auto input = musicBed(30000, 3);
            input[25000] += size;
            CrackleRemover remover;
            runMono(remover, input, value);
            if (remover.report().repairs > 0) {
                return size;
            }
        }
        return 1.0f;
    };
    const float atZero = smallestDetected(0.0f), atHalf = smallestDetected(0.5f);
    EXPECT_GT(atZero, 1.4f * atHalf);
    EXPECT_GT(atZero, 5.0f * static_cast<float>(kNoiseRms));
    EXPECT_LT(atZero, 0.3f);
}

TEST(CrackleRemover, WeightsDecayToTheFloorInSilence) {
    // Digital zero and the conversion's ±1e-7 offset both count as silence.
    for (float offset : {0.0f, 1e-7f}) {
        auto input = sine(300.0, 0.5, 5000);
        for (int32_t n = 0; n < 40000; ++n) {
            input.push_back((n & 1) ? -offset : offset);
        }
        CrackleRemover remover;
        const ParameterBlock block = params(0.5f, 1);
        const float* in[2] = {input.data(), input.data()};
        std::vector<float> output(input.size());
        float* out[2] = {output.data(), output.data()};
        remover.process(block, in, out, 5000);
        const float* trained = remover.channel(0).predictor().weights();
        EXPECT_GT(*std::max_element(trained, trained + S::kOrder), 0.01f);
        in[0] = in[1] = input.data() + 5000;
        out[0] = out[1] = output.data() + 5000;
        remover.process(block, in, out, 40000);
        const auto& predictor = remover.channel(0).predictor();
        for (int32_t i = 0; i < S::kOrder; ++i) {
            EXPECT_EQ(predictor.weights()[i], S::kWeightFloor) << offset << " " << i;
            EXPECT_EQ(predictor.delayedWeights()[i], S::kWeightFloor) << offset << " " << i;
        }
    }
}

TEST(CrackleRemover, LowersTheErrorOfDenseCrackle) {
    const auto clean = musicBed(5 * 44100, 4);
    const auto input = withCrackle(clean, 200, 5);
    CrackleRemover remover;
    const auto output = runMono(remover, input, 0.5f);
    EXPECT_LT(errorDb(clean, output, S::kLag), errorDb(clean, input, 0) - 5.0);
    EXPECT_GT(remover.report().repairs, 100);
}

TEST(CrackleRemover, OutputDoesNotDependOnTheBlockSize) {
    const auto clean = musicBed(60000, 6);
    const StereoSignal input{withCrackle(clean, 300, 7), withCrackle(clean, 100, 8)};
    CrackleRemover whole;
    const auto reference = runKernel(whole, params(0.6f), input, 60000);
    for (int32_t block : {1, 17, 4096, 16384}) {
        CrackleRemover blocked;
        const auto output = runKernel(blocked, params(0.6f), input, block);
        EXPECT_EQ(output.left, reference.left) << block;
        EXPECT_EQ(output.right, reference.right) << block;
    }
}

TEST(CrackleRemover, ChannelsAreIndependentAndMonitorGivesTheRemovedPart) {
    // Crackle on the left only; the right carries a plain sine, which is never detected.
    const auto crackled = withCrackle(musicBed(40000, 9), 300, 10);
    const auto tone = sine(440.0, 0.5, 40000);
    CrackleRemover repairing, monitoring;
    monitoring.setMonitor(true);
    const auto repaired = runKernel(repairing, params(0.5f), {crackled, tone}, 4096);
    const auto removed = runKernel(monitoring, params(0.5f), {crackled, tone}, 4096);
    EXPECT_GT(repairing.channel(0).report().repairs, 0);
    EXPECT_EQ(repairing.channel(1).report().repairs, 0);
    for (int32_t n = S::kLag; n < 40000; ++n) {
        ASSERT_EQ(repaired.right[n], tone[n - S::kLag]) << n;
        ASSERT_NEAR(repaired.left[n] + removed.left[n], crackled[n - S::kLag], 1e-6f) << n;
    }
}

TEST(CrackleRemover, MadeByTheLibraryForSlotOne) {
    auto kernel = AlgorithmLibrary::create(ProcessorKind::CrackleRemover, params(0.5f));
    ASSERT_TRUE(kernel);
    EXPECT_EQ(kernel->latency(), 0);
    EXPECT_NE(dynamic_cast<CrackleRemover*>(kernel.get()), nullptr);
}
