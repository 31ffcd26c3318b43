// The crackle remover: its predictor, detector and cross-fade, and the whole stage.
#include "CrackleRemover.h"
#include "AdaptivePredictor.h"
#include "CrackleFade.h"
#include "EnhancedSignals.h"

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

TEST(CrackleRemover, LowersDenseCrackleOnItsChannelOnlyAndMonitorGivesTheRemovedPart) {
    // Crackle on the left only; the right carries a plain sine, which is never detected.
    const int32_t count = 5 * 44100;
    const auto clean = musicBed(count, 4);
    const auto crackled = enhanced_test::withTicks(clean, 200.0, 0.3, 5).dirty;
    const auto tone = sine(440.0, 0.5, count);
    CrackleRemover repairing, monitoring;
    monitoring.setMonitor(true);
    const auto repaired = runKernel(repairing, params(0.5f), {crackled, tone}, 4096);
    const auto removed = runKernel(monitoring, params(0.5f), {crackled, tone}, 4096);
    EXPECT_GT(repairing.channel(0).report().repairs, 100);
    EXPECT_EQ(repairing.channel(1).report().repairs, 0);
    const int32_t span = count - S::kLag;
    EXPECT_LT(changeDb(errorEnergy(clean, repaired.left, S::kLag, 0, span),
                       errorEnergy(clean, crackled, 0, 0, span)),
              -5.0);
    for (int32_t n = S::kLag; n < count; ++n) {
        ASSERT_EQ(repaired.right[n], tone[n - S::kLag]) << n;
        ASSERT_NEAR(repaired.left[n] + removed.left[n], crackled[n - S::kLag], 1e-6f) << n;
    }
}
